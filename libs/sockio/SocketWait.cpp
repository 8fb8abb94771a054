#include "SocketWait.h"

namespace {

bool WaitFor(SOCKET s, bool write, DWORD waitMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait = {static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
    return select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &wait) == 1;
}

} // namespace

bool SendAll(SOCKET s, const char* data, int size, DWORD waitMs)
{
    while (size > 0) {
        const int sent = send(s, data, size, 0);
        if (sent > 0) {
            data += sent;
            size -= sent;
            continue;
        }
        if (sent == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) return false;
        if (!WaitFor(s, true, waitMs)) return false;
    }
    return true;
}

int ReceiveSome(SOCKET s, char* data, int size, DWORD waitMs)
{
    if (!WaitFor(s, false, waitMs)) return -1;
    const int got = recv(s, data, size, 0);
    return got == SOCKET_ERROR ? -1 : got;
}
