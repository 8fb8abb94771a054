// Texts for the Winsock and TLS error codes a connection can meet.
#include "sockio.h"

#include <winsock2.h>

#include "records/Guard.h"

namespace {

struct ErrorText {
    int code;
    const char* text;
};

const ErrorText kTexts[] = {
    {0, "No error."},
    {WSAEINTR, "Interrupted function call."},
    {WSAEACCES, "Permission denied."},
    {WSAEFAULT, "Bad address."},
    {WSAEINVAL, "Invalid argument."},
    {WSAEMFILE, "Too many open sockets."},
    {WSAEWOULDBLOCK, "Resource temporarily unavailable."},
    {WSAEINPROGRESS, "Operation now in progress."},
    {WSAEALREADY, "Operation already in progress."},
    {WSAENOTSOCK, "Socket operation on a non-socket."},
    {WSAEDESTADDRREQ, "Destination address required."},
    {WSAEMSGSIZE, "Message too long."},
    {WSAEPROTOTYPE, "Protocol wrong type for socket."},
    {WSAENOPROTOOPT, "Bad protocol option."},
    {WSAEPROTONOSUPPORT, "Protocol not supported."},
    {WSAESOCKTNOSUPPORT, "Socket type not supported."},
    {WSAEOPNOTSUPP, "Operation not supported."},
    {WSAEPFNOSUPPORT, "Protocol family not supported."},
    {WSAEAFNOSUPPORT, "Address family not supported by protocol family."},
    {WSAEADDRINUSE, "Address already in use."},
    {WSAEADDRNOTAVAIL, "Cannot assign requested address."},
    {WSAENETDOWN, "Network is down."},
    {WSAENETUNREACH, "Network is unreachable."},
    {WSAENETRESET, "Network dropped connection on reset."},
    {WSAECONNABORTED, "Software caused connection abort."},
    {WSAECONNRESET, "Connection reset by peer."},
    {WSAENOBUFS, "No buffer space available."},
    {WSAEISCONN, "Socket is already connected."},
    {WSAENOTCONN, "Socket is not connected."},
    {WSAESHUTDOWN, "Cannot send after socket shutdown."},
    {WSAETIMEDOUT, "Connection timed out."},
    {WSAECONNREFUSED, "Connection refused."},
    {WSAEHOSTDOWN, "Host is down."},
    {WSAEHOSTUNREACH, "No route to host."},
    {WSAEPROCLIM, "Too many processes."},
    {WSASYSNOTREADY, "Network subsystem is unavailable."},
    {WSAVERNOTSUPPORTED, "Winsock version out of range."},
    {WSANOTINITIALISED, "Winsock has not been started."},
    {WSAEDISCON, "Graceful shutdown in progress."},
    {WSAHOST_NOT_FOUND, "Host not found."},
    {WSATRY_AGAIN, "Non-authoritative host not found."},
    {WSANO_RECOVERY, "This is a non-recoverable error."},
    {WSANO_DATA, "Valid name, no data record of requested type."},
    {SK_TLS_HANDSHAKE_FAILED, "The secure (TLS) connection to the server could not be set up."},
    {SK_TLS_CERT_REJECTED, "The server's TLS certificate is not trusted for this server."},
};

} // namespace

const char* SK_Error(int* code)
{
    const char* const unknown = "Unknown network error.";
    return Guard(unknown, [&] {
        if (*code == 0) *code = WSAGetLastError();
        for (const ErrorText& entry : kTexts)
            if (entry.code == *code) return entry.text;
        return unknown;
    });
}
