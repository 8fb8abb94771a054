// What the user typed into the sign-up dialog, and whether the server can take it.
#ifndef KVX_SIGNON_SIGNUPENTRY_H
#define KVX_SIGNON_SIGNUPENTRY_H

#include <windows.h>

#include "records/kvxrecords.h"
#include "wire/Packets.h"

class CSignupEntry {
public:
    // Longest text read from one edit; anything longer fails validation anyway.
    static const int kMaxRead = 256;

    // All four texts empty.
    CSignupEntry();
    // Reads the four edits of the sign-up dialog.
    explicit CSignupEntry(HWND dialog);

    // Checks the rules in the order of the fields: nickname 1..31 characters; e-mail 1..91
    // characters, with something before an '@' and a '.' after it that is neither right
    // after the '@' nor last; password 1..9 characters (all a login can carry); both
    // passwords equal. Returns nullptr when all hold, else the message for the user, and
    // sets *field to the id of the edit to correct.
    const char* Problem(int* field) const;

    // The sign-up request, every field NUL-terminated and zero-filled.
    SignupRequestRecord Request() const;

    // Writes nickname, e-mail, password and account into the caller's record; the other
    // fields of the record are left as they are.
    void FillUser(USER_INFO_STRUCT* user, int32_t account) const;

private:
    char m_nickname[kMaxRead];
    char m_email[kMaxRead];
    char m_password[kMaxRead];
    char m_confirm[kMaxRead];
};

#endif
