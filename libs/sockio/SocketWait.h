// Blocking-style reads and writes on a socket that may be non-blocking, each with a deadline.
#ifndef KVX_SOCKIO_SOCKET_WAIT_H
#define KVX_SOCKIO_SOCKET_WAIT_H

#include <winsock2.h>

// Sends every byte, waiting out a full send buffer for up to `waitMs` at a time.
bool SendAll(SOCKET s, const char* data, int size, DWORD waitMs);

// Reads what arrives within `waitMs` (at most `size` bytes); the count, 0 when the peer
// closed, -1 on an error or when nothing came in time.
int ReceiveSome(SOCKET s, char* data, int size, DWORD waitMs);

#endif
