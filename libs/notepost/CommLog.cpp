#include "CommLog.h"

#include <windows.h>

#include <cstdio>
#include <ctime>

namespace {

const char kFolder[] = "Logs";
const char kBlockEnd[] = "\r\n\r\n";

std::string Tag(std::int32_t other)
{
    char tag[32];
    std::snprintf(tag, sizeof tag, "(KVX# %ld):", static_cast<long>(other));
    return tag;
}

// Every line of the text indented, so no line of a message can look like a head line.
std::string Indented(const char* text)
{
    std::string out = "  ";
    for (const char* c = text; *c; ++c) {
        if (*c == '\r') continue;
        out += *c;
        if (*c == '\n') out += "  ";
    }
    return out;
}

} // namespace

CCommLog::CCommLog(std::int32_t account)
{
    char path[64];
    std::snprintf(path, sizeof path, "%s\\%ld.txt", kFolder, static_cast<long>(account));
    m_path = path;
}

bool CCommLog::Append(std::int32_t other, const char* nickname, bool received, std::uint32_t when,
                      const char* text) const
{
    const std::time_t at = when ? static_cast<std::time_t>(when) : std::time(nullptr);
    char stamp[32] = "";
    if (const std::tm* local = std::localtime(&at)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    const std::string block = std::string(stamp) + (received ? " From " : " To ") + (nickname ? nickname : "") + " " +
                              Tag(other) + "\r\n" + Indented(text ? text : "") + kBlockEnd;
    CreateDirectoryA(kFolder, nullptr);
    HANDLE file = CreateFileA(m_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written == block.size();
    CloseHandle(file);
    return ok;
}

std::string CCommLog::With(std::int32_t other) const
{
    HANDLE file = CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string all;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) all.append(chunk, got);
    CloseHandle(file);

    const std::string tag = Tag(other);
    std::string found;
    std::string::size_type at = 0;
    while (at < all.size()) {
        std::string::size_type end = all.find(kBlockEnd, at);
        end = end == std::string::npos ? all.size() : end + sizeof kBlockEnd - 1;
        const std::string block = all.substr(at, end - at);
        const std::string head = block.substr(0, block.find("\r\n"));
        if (head.size() >= tag.size() && head.compare(head.size() - tag.size(), tag.size(), tag) == 0) found += block;
        at = end;
    }
    return found;
}
