// The sign-up dialog: takes the new account's details, checks them, sends the request over
// the session's connection and waits for the server's answer, which the session hands on
// through SO_Message while the dialog's modal loop runs.
#ifndef KVX_SIGNON_SIGNUPWIZARD_H
#define KVX_SIGNON_SIGNUPWIZARD_H

#include <windows.h>

#include "SignupEntry.h"
#include "records/WindowProc.h"
#include "records/kvxrecords.h"

class CSignupWizard {
public:
    CSignupWizard(USER_INFO_STRUCT* user, UINT_PTR socket);

    // Shows the dialog modally over `owner`. TRUE once the server created the account (the
    // user record is filled), FALSE when the user gave up (the record is not touched) or
    // the dialog could not be shown. One dialog at a time: a call while one is open (the
    // session lost its connection and, connected anew, asks again) hands that dialog its
    // newer connection and record and waits for it to close, so the user finishes there.
    // The latest call then gets the outcome; an earlier one gets TRUE with account 0.
    BOOL Run(HWND owner);

    // Hands a server packet to the dialog that has a request out; ignored when none has.
    static void Deliver(const PACKET_DATA& packet);

private:
    friend struct CDialogProc<CSignupWizard>;
    static const Route<CSignupWizard, INT_PTR> kRoutes[];

    // The open dialog goes on over `socket` for `caller`; returns once it has closed.
    BOOL CarryOn(USER_INFO_STRUCT* caller, UINT_PTR socket);
    // What `caller` learns once the dialog has closed.
    BOOL Outcome(USER_INFO_STRUCT* caller) const;
    void Finish(BOOL result);

    INT_PTR OnInitDialog(HWND, UINT, WPARAM, LPARAM);
    INT_PTR OnCommand(HWND, UINT, WPARAM, LPARAM);
    INT_PTR OnTimer(HWND, UINT, WPARAM, LPARAM);
    INT_PTR OnDestroy(HWND, UINT, WPARAM, LPARAM);

    void OnSignUp();
    void OnCancel();
    void OnAnswer(const PACKET_DATA& packet);
    void OnAccepted(const PACKET_DATA& packet);
    void OnRefused(const PACKET_DATA& packet);

    // Waiting: fields and Sign Up disabled, the answer timer running.
    void SetWaiting(bool waiting);
    void ShowStatus(const char* text);
    void FocusField(int id);

    USER_INFO_STRUCT* m_user; // the latest caller's record
    UINT_PTR m_socket;        // the latest caller's connection
    HWND m_dialog;
    bool m_waiting;
    bool m_closed;
    BOOL m_result;
    CSignupEntry m_sent; // what the request carried, for the user record on success
};

#endif
