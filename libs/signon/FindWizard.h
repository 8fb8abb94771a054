// The find-users dialog: searches the server by nickname, e-mail or KVX# over the session's
// connection, lists what it finds (the answers arrive through SO_Message while the dialog's
// modal loop runs) and adds the chosen users to the contact list.
#ifndef KVX_SIGNON_FINDWIZARD_H
#define KVX_SIGNON_FINDWIZARD_H

#include <windows.h>

#include "records/WindowProc.h"
#include "records/kvxrecords.h"

class CFindWizard {
public:
    explicit CFindWizard(UINT_PTR socket);

    // Shows the dialog modally over `owner`; TRUE when at least one user was added. Only
    // one runs at a time: a second call while one is open gives FALSE at once.
    BOOL Run(HWND owner);

    // Hands a search answer to the open dialog; false when no dialog took it.
    static bool Deliver(const PACKET_DATA& packet);

private:
    friend struct CDialogProc<CFindWizard>;
    static const Route<CFindWizard, INT_PTR> kRoutes[];

    INT_PTR OnInitDialog(HWND, UINT, WPARAM, LPARAM);
    INT_PTR OnCommand(HWND, UINT, WPARAM, LPARAM);

    void OnSearch();
    void OnAdd();
    void OnResults(const PACKET_DATA& packet);
    // False, with the reason shown, when there is no connection or the send failed.
    bool Send(WORD type, const void* data, int length);
    void ShowStatus(const char* text);

    UINT_PTR m_socket;
    HWND m_dialog;
    bool m_added;
};

#endif
