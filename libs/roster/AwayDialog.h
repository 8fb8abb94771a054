// The small modal dialog in which the user writes the away (or N/A) message that goes out
// with the next status.
#ifndef KVX_ROSTER_AWAYDIALOG_H
#define KVX_ROSTER_AWAYDIALOG_H

#include <windows.h>

#include <cstddef>

#include "records/WindowProc.h"

class CAwayDialog {
public:
    // Shows the dialog over `owner` with `away` to edit (400: away, 500: N/A). True on OK,
    // with the new text in `away` (cut to `size`); false on Cancel, `away` untouched.
    static bool Run(HWND owner, int status, char* away, std::size_t size);

private:
    friend struct CDialogProc<CAwayDialog>;
    static const Route<CAwayDialog, INT_PTR> kRoutes[];

    CAwayDialog(int status, char* away, std::size_t size);
    INT_PTR OnInitDialog(HWND, UINT, WPARAM, LPARAM);
    INT_PTR OnCommand(HWND, UINT, WPARAM, LPARAM);

    HWND m_dialog;
    int m_status;
    char* m_away;
    std::size_t m_size;
};

#endif
