// One connect attempt on a worker thread: resolve, socket, connect with a deadline, the TLS
// handshake and certificate check, asynchronous notification, then exactly one outcome
// message to the caller's window.
// The connect runs before WSAAsyncSelect, on a socket made non-blocking for it: the
// deadline is the worker's own, and the window never sees the events of a socket that
// failed to connect. Events that beat the outcome to the window are repeated after it.
#ifndef KVX_SOCKIO_CONNECTOR_H
#define KVX_SOCKIO_CONNECTOR_H

#include <winsock2.h>

#include <string>

class Connector {
public:
    Connector(HWND window, UINT connectMessage, UINT eventMessage, const char* host, int port);

    // Starts the worker, which owns and deletes the connector. When no thread can start,
    // the one outcome (CONNECT_FAILED) is posted at once instead.
    static void Launch(Connector* connector);

    static const DWORD kConnectTimeoutMs = 15000;

private:
    static DWORD WINAPI Run(LPVOID self);
    // The outcome code; *value is the socket for CONNECT_DONE, else the Winsock error.
    WPARAM Attempt(LPARAM* value);
    bool ConnectWithDeadline(SOCKET s, const sockaddr* address, int length, int* error);
    // False when the window is gone; a connected socket is closed then.
    bool Post(WPARAM code, LPARAM value);
    // Announces again what reached the socket before the outcome did.
    void AnnounceWaiting(SOCKET s);

    HWND m_window;
    UINT m_connectMessage;
    UINT m_eventMessage;
    std::string m_host;
    int m_port;
    bool m_holdsRecords = false; // the handshake brought records no read will announce
};

#endif
