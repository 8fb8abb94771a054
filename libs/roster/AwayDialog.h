// The small modal dialog in which the user writes the away (or N/A) message that goes out
// with the next status.
#ifndef KVX_ROSTER_AWAYDIALOG_H
#define KVX_ROSTER_AWAYDIALOG_H

#include <windows.h>

#include <cstddef>

class CAwayDialog {
public:
    // Shows the dialog over `owner` with `away` to edit (400: away, 500: N/A). True on OK,
    // with the new text in `away` (cut to `size`); false on Cancel, `away` untouched.
    static bool Run(HWND owner, int status, char* away, std::size_t size);

private:
    typedef INT_PTR (CAwayDialog::*Handler)(WPARAM, LPARAM);
    struct Route {
        UINT message;
        Handler handler;
    };
    static const Route kRoutes[];

    CAwayDialog(int status, char* away, std::size_t size);
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnInitDialog(WPARAM, LPARAM);
    INT_PTR OnCommand(WPARAM, LPARAM);

    HWND m_dialog;
    int m_status;
    char* m_away;
    std::size_t m_size;
};

#endif
