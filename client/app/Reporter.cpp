#include "app/Reporter.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "sockio/sockio.h"

namespace {

const DWORD kOsTextSize = 512;
const DWORD kBodySize = 1024;

struct Message {
    char text[CReporter::kMessageLimit + 1] = {};
};

void Format(Message& out, const char* format, va_list args) { vsnprintf(out.text, sizeof out.text, format, args); }

// Composes "<message><separator><tail>" within the box body. The tail (the OS or socket
// text) is what tells the user why, so a long message is cut rather than the tail.
void Compose(char* body, const char* message, const char* separator, const char* tail)
{
    const size_t fixed = strlen(separator) + strlen(tail);
    const size_t room = fixed < kBodySize - 1 ? kBodySize - 1 - fixed : 0;
    snprintf(body, kBodySize, "%.*s%s%s", static_cast<int>(room), message, separator, tail);
}

void Show(const char* text, const char* caption) { MessageBoxA(GetActiveWindow(), text, caption, MB_OK); }

} // namespace

char* CReporter::LastErrorText(char* buffer, DWORD size)
{
    const DWORD code = GetLastError();
    char* system = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&system), 0, nullptr);
    if (size > 0) buffer[0] = '\0';
    if (n > 0 && system && size >= n + 14) {
        DWORD len = n;
        while (len > 0 && (system[len - 1] == '\r' || system[len - 1] == '\n')) --len;
        snprintf(buffer, size, "%.*s (EC:%ld)", static_cast<int>(len), system, static_cast<long>(code));
    }
    if (system) LocalFree(system);
    SetLastError(code);
    return buffer;
}

bool CReporter::Error(const char* format, ...)
{
    char osText[kOsTextSize];
    LastErrorText(osText, sizeof osText);
    Message message;
    va_list args;
    va_start(args, format);
    Format(message, format, args);
    va_end(args);
    char body[kBodySize];
    Compose(body, message.text, "\n\n", osText);
    Show(body, "KVX Error");
    return false;
}

void CReporter::ShowSocketError(int code, const char* message)
{
    const char* text = SK_Error(&code);
    char tail[kOsTextSize];
    snprintf(tail, sizeof tail, "%s (EC: %d)", text ? text : "", code);
    char body[kBodySize];
    Compose(body, message, "\n\n", tail);
    Show(body, "KVX Winsock Error");
}

bool CReporter::SocketError(const char* format, ...)
{
    Message message;
    va_list args;
    va_start(args, format);
    Format(message, format, args);
    va_end(args);
    ShowSocketError(0, message.text);
    return false;
}

bool CReporter::SocketErrorCode(int code, const char* format, ...)
{
    Message message;
    va_list args;
    va_start(args, format);
    Format(message, format, args);
    va_end(args);
    ShowSocketError(code, message.text);
    return false;
}

bool CReporter::Notice(const char* format, ...)
{
    Message message;
    va_list args;
    va_start(args, format);
    Format(message, format, args);
    va_end(args);
    Show(message.text, "KVX");
    return true;
}

bool CReporter::Debug(const char* format, ...)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char osText[kOsTextSize];
    LastErrorText(osText, sizeof osText);
    Message message;
    va_list args;
    va_start(args, format);
    Format(message, format, args);
    va_end(args);
    char line[16 + sizeof message.text + sizeof osText];
    snprintf(line, sizeof line, "[%02u:%02u:%02u] %s - [%s]\n", now.wHour, now.wMinute, now.wSecond, message.text,
             osText);
    OutputDebugStringA(line);
    return false;
}
