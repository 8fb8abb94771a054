#include "Connector.h"

#include <ws2tcpip.h>

#include "sockio.h"

Connector::Connector(HWND window, UINT connectMessage, UINT eventMessage, const char* host, int port)
    : m_window(window), m_connectMessage(connectMessage), m_eventMessage(eventMessage),
      m_host(host ? host : ""), m_port(port)
{
}

void Connector::Launch(Connector* connector)
{
    HANDLE thread = CreateThread(nullptr, 0, &Connector::Run, connector, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    connector->Post(CONNECT_FAILED, static_cast<LPARAM>(GetLastError()));
    delete connector;
}

DWORD WINAPI Connector::Run(LPVOID self)
{
    Connector* connector = static_cast<Connector*>(self);
    LPARAM value = 0;
    const WPARAM code = connector->Attempt(&value);
    connector->Post(code, value);
    delete connector;
    return 0;
}

WPARAM Connector::Attempt(LPARAM* value)
{
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(m_port);
    if (m_host.empty() || getaddrinfo(m_host.c_str(), port.c_str(), &hints, &found) != 0 || !found) {
        *value = WSAGetLastError() ? WSAGetLastError() : WSAHOST_NOT_FOUND;
        return CONNECT_DNS_FAILED;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        *value = WSAGetLastError();
        freeaddrinfo(found);
        return CONNECT_SOCKET_FAILED;
    }
    int error = 0;
    const bool connected = ConnectWithDeadline(s, found->ai_addr, static_cast<int>(found->ai_addrlen), &error);
    freeaddrinfo(found);
    if (!connected) {
        closesocket(s);
        *value = error;
        return CONNECT_FAILED;
    }
    // From here on the socket's reads and closes reach the window as messages; data that
    // is already waiting is announced at once.
    if (WSAAsyncSelect(s, m_window, m_eventMessage, FD_READ | FD_CLOSE) != 0) {
        *value = WSAGetLastError();
        closesocket(s);
        return CONNECT_ASYNC_FAILED;
    }
    *value = static_cast<LPARAM>(s);
    return CONNECT_DONE;
}

// A blocking connect to an address that drops SYNs waits minutes; a deadline keeps the
// Connecting status honest.
bool Connector::ConnectWithDeadline(SOCKET s, const sockaddr* address, int length, int* error)
{
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (connect(s, address, length) == 0) return true;
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        *error = WSAGetLastError();
        return false;
    }
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval deadline = {static_cast<long>(kConnectTimeoutMs / 1000), 0};
    const int ready = select(0, nullptr, &writable, &failed, &deadline);
    if (ready == 0) {
        *error = WSAETIMEDOUT;
        return false;
    }
    if (ready < 0) {
        *error = WSAGetLastError();
        return false;
    }
    int soError = 0;
    int size = sizeof soError;
    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &size);
    if (FD_ISSET(s, &failed) || soError != 0) {
        *error = soError ? soError : WSAECONNREFUSED;
        return false;
    }
    return true;
}

void Connector::Post(WPARAM code, LPARAM value)
{
    if (PostMessageA(m_window, m_connectMessage, code, value)) return;
    // Nobody is left to take the connection.
    if (code == CONNECT_DONE) closesocket(static_cast<SOCKET>(value));
}
