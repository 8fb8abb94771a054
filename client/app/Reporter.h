// Tells the user about failures: message boxes for errors and notices, one line on the
// debugger output for drawing failures. Keeps no state, so it works before g_Reporter
// exists; call the operations as CReporter::Error(...).
#ifndef KVX_REPORTER_H
#define KVX_REPORTER_H

#include <windows.h>

#define KVX_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))

class CReporter {
public:
    virtual ~CReporter() = default;

    // "KVX Error": the message, a blank line, the text of the last OS error. Gives false.
    static bool Error(const char* format, ...) KVX_PRINTF(1, 2);
    // "KVX Winsock Error" for the socket library's last error. Gives false.
    static bool SocketError(const char* format, ...) KVX_PRINTF(1, 2);
    // "KVX Winsock Error" for the given code, whatever the library's last error. Gives false.
    static bool SocketErrorCode(int code, const char* format, ...) KVX_PRINTF(2, 3);
    // "KVX": the message alone. Gives true.
    static bool Notice(const char* format, ...) KVX_PRINTF(1, 2);
    // "[hh:mm:ss] message - [OS error text]" on the debugger output. Gives false.
    static bool Debug(const char* format, ...) KVX_PRINTF(1, 2);
    // "<system text> (EC:<code>)" for the last OS error, or "" when it has no text or the
    // buffer is too small for it. Gives the buffer.
    static char* LastErrorText(char* buffer, DWORD size);

    static const DWORD kMessageLimit = 1000;

private:
    static void ShowSocketError(int code, const char* message);
};

#endif
