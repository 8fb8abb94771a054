// The sign-up dialog: takes the new account's details, checks them, sends the request over
// the session's connection and waits for the server's answer, which the session hands on
// through SO_Message while the dialog's modal loop runs.
#ifndef KVX_SIGNON_SIGNUPWIZARD_H
#define KVX_SIGNON_SIGNUPWIZARD_H

#include <windows.h>

#include "SignupEntry.h"
#include "records/kvxrecords.h"

class CSignupWizard {
public:
    CSignupWizard(USER_INFO_STRUCT* user, UINT_PTR socket);

    // Shows the dialog modally over `owner`. TRUE once the server created the account (the
    // user record is filled), FALSE when the user gave up (the record is not touched) or
    // the dialog could not be shown. Only one sign-up runs at a time: a second call while
    // one is open gives FALSE at once.
    BOOL Run(HWND owner);

    // Hands a server packet to the dialog that has a request out; ignored when none has.
    static void Deliver(const PACKET_DATA& packet);

private:
    typedef INT_PTR (CSignupWizard::*Handler)(WPARAM, LPARAM);
    struct Route {
        UINT message;
        Handler handler;
    };
    static const Route kRoutes[];

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    INT_PTR OnInitDialog(WPARAM, LPARAM);
    INT_PTR OnCommand(WPARAM, LPARAM);
    INT_PTR OnTimer(WPARAM, LPARAM);
    INT_PTR OnDestroy(WPARAM, LPARAM);

    void OnSignUp();
    void OnCancel();
    void OnAnswer(const PACKET_DATA& packet);
    void OnAccepted(const PACKET_DATA& packet);
    void OnRefused(const PACKET_DATA& packet);

    // Waiting: fields and Sign Up disabled, the answer timer running.
    void SetWaiting(bool waiting);
    void ShowStatus(const char* text);
    void FocusField(int id);

    USER_INFO_STRUCT* m_user;
    UINT_PTR m_socket;
    HWND m_dialog;
    bool m_waiting;
    CSignupEntry m_sent; // what the request carried, for the user record on success
};

#endif
