// KVXPatch.exe, the updater that the client starts when the server says it is out of date.
// This build fetches nothing: it records what an update would do in "KVXPatch.log" in the
// current folder (the client's own) and ends, so the hand-over can be seen and tested.
#include <windows.h>

#include <stdio.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[256];
    const int length = snprintf(line, sizeof line,
                                "%04u-%02u-%02u %02u:%02u:%02u KVXPatch: would download the latest KVX, "
                                "replace KVX.exe and its libraries in this folder, and start it again.\r\n",
                                now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    HANDLE log = CreateFileA("KVXPatch.log", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(log, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(log);
    return ok ? 0 : 1;
}
