// One connect attempt on a worker thread: resolve, socket, connect with a deadline,
// asynchronous notification, then exactly one outcome message to the caller's window.
#ifndef KVX_SOCKIO_CONNECTOR_H
#define KVX_SOCKIO_CONNECTOR_H

#include <winsock2.h>

#include <string>

class Connector {
public:
    Connector(HWND window, UINT connectMessage, UINT eventMessage, const char* host, int port);

    // Starts the worker, which owns and deletes the connector. False when no thread could
    // start; the caller then still gets its one outcome (CONNECT_FAILED).
    static void Launch(Connector* connector);

    static const DWORD kConnectTimeoutMs = 15000;

private:
    static DWORD WINAPI Run(LPVOID self);
    // The outcome code; *value is the socket for CONNECT_DONE, else the Winsock error.
    WPARAM Attempt(LPARAM* value);
    bool ConnectWithDeadline(SOCKET s, const sockaddr* address, int length, int* error);
    void Post(WPARAM code, LPARAM value);

    HWND m_window;
    UINT m_connectMessage;
    UINT m_eventMessage;
    std::string m_host;
    int m_port;
};

#endif
