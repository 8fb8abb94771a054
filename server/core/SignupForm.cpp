#include "SignupForm.h"

#include <cstring>

namespace kvxserver {

namespace {

// The text up to the field's NUL; false when the field holds no NUL at all.
bool FieldText(const char* field, std::size_t size, std::string& out)
{
    const void* nul = std::memchr(field, '\0', size);
    if (nul == nullptr) return false;
    out.assign(field, static_cast<const char*>(nul));
    return true;
}

bool HasControlCharacter(const std::string& text)
{
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) return true;
    }
    return false;
}

bool LooksLikeEmail(const std::string& email)
{
    const std::size_t at = email.find('@');
    if (at == std::string::npos || at == 0) return false;
    const std::size_t dot = email.find('.', at + 1);
    return dot != std::string::npos && dot > at + 1 && dot + 1 < email.size() &&
           email.find_first_of(" @", at + 1) == std::string::npos;
}

} // namespace

bool SignupForm::Read(const SignupRequestRecord& record, std::string& error)
{
    if (!FieldText(record.nickname, sizeof record.nickname, nickname) || nickname.empty()) {
        error = "Nickname must be 1 to " + std::to_string(kNicknameField - 1) + " characters.";
        return false;
    }
    if (HasControlCharacter(nickname)) {
        error = "Nickname may not contain control characters.";
        return false;
    }
    if (!FieldText(record.email, sizeof record.email, email) || !LooksLikeEmail(email) || HasControlCharacter(email)) {
        error = "Please enter a valid email address, such as name@example.com.";
        return false;
    }
    if (!FieldText(record.password, sizeof record.password, password) || password.empty() ||
        password.size() > kMaxPassword) {
        error = "Password must be 1 to " + std::to_string(kMaxPassword) + " characters.";
        return false;
    }
    return true;
}

} // namespace kvxserver
