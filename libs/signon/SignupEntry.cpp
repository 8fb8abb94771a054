#include "SignupEntry.h"

#include <string.h>

#include "signon/SignupIds.h"

namespace {

const size_t kMaxNickname = kNicknameField - 1;
const size_t kMaxEmail = kEmailField - 1;

bool LooksLikeEmail(const char* text)
{
    const char* at = strchr(text, '@');
    if (!at || at == text || strchr(text, ' ')) return false;
    const char* dot = strrchr(at, '.');
    return dot && dot > at + 1 && dot[1] != '\0';
}

// Copies into a fixed field, zero-filled; the caller has checked the length.
void CopyField(char* field, size_t size, const char* text)
{
    memset(field, 0, size);
    const size_t length = strlen(text);
    memcpy(field, text, length < size ? length : size - 1);
}

} // namespace

CSignupEntry::CSignupEntry() : m_nickname(), m_email(), m_password(), m_confirm() {}

CSignupEntry::CSignupEntry(HWND dialog) : CSignupEntry()
{
    GetDlgItemTextA(dialog, IDC_SIGNUP_NICKNAME, m_nickname, kMaxRead);
    GetDlgItemTextA(dialog, IDC_SIGNUP_EMAIL, m_email, kMaxRead);
    GetDlgItemTextA(dialog, IDC_SIGNUP_PASSWORD, m_password, kMaxRead);
    GetDlgItemTextA(dialog, IDC_SIGNUP_CONFIRM, m_confirm, kMaxRead);
}

const char* CSignupEntry::Problem(int* field) const
{
    const size_t nickname = strlen(m_nickname);
    const size_t email = strlen(m_email);
    const size_t password = strlen(m_password);
    *field = IDC_SIGNUP_NICKNAME;
    if (nickname == 0) return "Please enter a nickname.";
    if (nickname > kMaxNickname) return "The nickname can be at most 31 characters long.";
    *field = IDC_SIGNUP_EMAIL;
    if (email == 0) return "Please enter your e-mail address.";
    if (email > kMaxEmail) return "The e-mail address can be at most 91 characters long.";
    if (!LooksLikeEmail(m_email))
        return "The e-mail address does not look right: it needs an '@' and a domain, like name@example.com.";
    *field = IDC_SIGNUP_PASSWORD;
    if (password == 0) return "Please choose a password.";
    if (password > kMaxPassword) return "The password can be at most 9 characters long.";
    if (strcmp(m_password, m_confirm) != 0) {
        *field = IDC_SIGNUP_CONFIRM;
        return "The two passwords are not the same. Please type the password again in Confirm password.";
    }
    return nullptr;
}

SignupRequestRecord CSignupEntry::Request() const
{
    SignupRequestRecord record = {};
    CopyField(record.nickname, sizeof record.nickname, m_nickname);
    CopyField(record.email, sizeof record.email, m_email);
    CopyField(record.password, sizeof record.password, m_password);
    return record;
}

void CSignupEntry::FillUser(USER_INFO_STRUCT* user, int32_t account) const
{
    user->accountNumber = account;
    CopyField(user->nickname, sizeof user->nickname, m_nickname);
    CopyField(user->email, sizeof user->email, m_email);
    CopyField(user->password, sizeof user->password, m_password);
}
