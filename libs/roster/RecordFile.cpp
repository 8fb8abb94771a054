#include "RecordFile.h"

#include <windows.h>

namespace {

void CreateFolderOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of("\\/");
    if (slash != std::string::npos) CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
}

} // namespace

CRecordFile::CRecordFile(const char* path) : m_path(path) {}

std::string CRecordFile::Read() const
{
    HANDLE file = CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool CRecordFile::Write(const std::string& bytes) const
{
    CreateFolderOf(m_path);
    const std::string temporary = m_path + ".new";
    HANDLE file =
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (ok && MoveFileExA(temporary.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}
