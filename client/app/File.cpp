#include "app/File.h"

CFile::~CFile() { Close(); }

bool CFile::Create(const char* path) { return OpenWith(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS); }

bool CFile::Open(const char* path) { return OpenWith(path, GENERIC_READ, OPEN_EXISTING); }

bool CFile::OpenWith(const char* path, DWORD access, DWORD disposition)
{
    Close();
    HANDLE h = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    m_handle = h;
    return true;
}

DWORD CFile::Read(void* buffer, DWORD count)
{
    DWORD done = 0;
    if (!m_handle || !ReadFile(m_handle, buffer, count, &done, nullptr)) return 0;
    return done;
}

DWORD CFile::Write(const void* buffer, DWORD count)
{
    DWORD done = 0;
    if (!m_handle || !WriteFile(m_handle, buffer, count, &done, nullptr)) return 0;
    return done;
}

ULONGLONG CFile::Size() const
{
    LARGE_INTEGER size = {};
    if (!m_handle || !GetFileSizeEx(m_handle, &size)) return 0;
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::Close()
{
    if (m_handle) CloseHandle(m_handle);
    m_handle = nullptr;
}
