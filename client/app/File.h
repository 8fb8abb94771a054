// A data file read or written from its start in one pass, shared with other readers and
// writers. Reports nothing itself: the callers decide what a failure means.
#ifndef KVX_FILE_H
#define KVX_FILE_H

#include <windows.h>

class CFile {
public:
    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Creates the file, or empties an existing one, for reading and writing.
    bool Create(const char* path);
    // Opens an existing file for reading only, so a read-only file reads like any other.
    bool Open(const char* path);
    // Bytes actually read: 0 at the end of the file or on failure.
    DWORD Read(void* buffer, DWORD count);
    // Bytes actually written.
    DWORD Write(const void* buffer, DWORD count);
    // The file's length now; 0 with no file open.
    ULONGLONG Size() const;

private:
    bool OpenWith(const char* path, DWORD access, DWORD disposition);
    void Close();

    HANDLE m_handle = nullptr;
};

#endif
