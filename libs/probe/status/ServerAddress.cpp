#include "ServerAddress.h"

namespace kvxprobe {

namespace {

bool IsHostCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

bool ServerAddress::Parse(const std::string& text, ServerAddress& out, std::string& error)
{
    const std::string trimmed = Trimmed(text);
    const std::size_t colon = trimmed.rfind(':');
    const std::string host = trimmed.substr(0, colon);
    if (host.empty()) {
        error = "Type the server's address, such as q2.example.net:27910.";
        return false;
    }
    if (host.size() > kMaxHost) {
        error = "That host name is too long.";
        return false;
    }
    for (char c : host) {
        if (!IsHostCharacter(c)) {
            error = "A host name has only letters, digits, dots and dashes: '" + host + "'.";
            return false;
        }
    }
    unsigned long port = kDefaultPort;
    if (colon != std::string::npos) {
        const std::string digits = trimmed.substr(colon + 1);
        port = 0;
        bool valid = !digits.empty() && digits.size() <= 5;
        for (char c : digits) {
            if (c < '0' || c > '9') valid = false;
            else port = port * 10 + static_cast<unsigned long>(c - '0');
        }
        if (!valid || port < 1 || port > 65535) {
            error = "The port must be a number from 1 to 65535: '" + digits + "'.";
            return false;
        }
    }
    out = ServerAddress(host, static_cast<std::uint16_t>(port));
    return true;
}

std::string ServerAddress::Text() const { return host_ + ":" + std::to_string(port_); }

bool ServerAddress::operator==(const ServerAddress& other) const
{
    if (port_ != other.port_ || host_.size() != other.host_.size()) return false;
    for (std::size_t i = 0; i < host_.size(); ++i)
        if (Lower(host_[i]) != Lower(other.host_[i])) return false;
    return true;
}

} // namespace kvxprobe
