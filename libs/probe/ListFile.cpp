#include "ListFile.h"

#include <stdio.h>

namespace {

const DWORD kMaxSize = 1024 * 1024; // far more than any list; a bigger file is not one

} // namespace

CListFile::CListFile(const char* name) : m_path(name)
{
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(name, sizeof full, full, nullptr);
    if (length > 0 && length < sizeof full) m_path = full;
}

bool CListFile::Read(std::string& text, std::string& error) const
{
    text.clear();
    HANDLE file = CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) return true;
        error = ErrorText("read", code);
        return false;
    }
    const DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= kMaxSize;
    if (!ok) {
        error = "Could not read " + m_path + ": it is too large to be a server list.";
    } else {
        text.resize(size);
        DWORD got = 0;
        ok = size == 0 || (ReadFile(file, text.data(), size, &got, nullptr) && got == size);
        if (!ok) error = ErrorText("read", GetLastError());
    }
    CloseHandle(file);
    if (!ok) text.clear();
    return ok;
}

bool CListFile::Write(const std::string& text, std::string& error) const
{
    const std::string temporary = m_path + ".new";
    HANDLE file =
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = ErrorText("save", GetLastError());
        return false;
    }
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(text.size());
    bool ok = (size == 0 || WriteFile(file, text.data(), size, &written, nullptr)) && written == size;
    DWORD code = ok ? 0 : GetLastError();
    if (ok && !FlushFileBuffers(file)) {
        ok = false;
        code = GetLastError();
    }
    CloseHandle(file);
    if (ok && !MoveFileExA(temporary.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        code = GetLastError();
    }
    if (!ok) {
        DeleteFileA(temporary.c_str());
        error = ErrorText("save", code);
    }
    return ok;
}

std::string CListFile::ErrorText(const char* what, DWORD code) const
{
    char reason[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, reason,
                                  sizeof reason, nullptr);
    while (length > 0 && (reason[length - 1] == '\n' || reason[length - 1] == '\r' || reason[length - 1] == '.'))
        reason[--length] = 0;
    if (length == 0) snprintf(reason, sizeof reason, "error %lu", static_cast<unsigned long>(code));
    return "Could not " + std::string(what) + " " + m_path + ": " + reason + ".";
}
