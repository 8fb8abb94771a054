#include "Listener.h"

Listener::~Listener() { Stop(); }

int Listener::Start(int type, int port)
{
    if (m_socket != INVALID_SOCKET) return 0;
    SOCKET s = socket(AF_INET, type, type == SOCK_DGRAM ? IPPROTO_UDP : IPPROTO_TCP);
    if (s == INVALID_SOCKET) return WSAGetLastError();
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(port));
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (type == SOCK_STREAM && listen(s, SOMAXCONN) != 0)) {
        const int error = WSAGetLastError();
        closesocket(s);
        return error;
    }
    SOCKET wake = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in wakeAddress = {};
    wakeAddress.sin_family = AF_INET;
    wakeAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof wakeAddress;
    if (wake == INVALID_SOCKET || bind(wake, reinterpret_cast<sockaddr*>(&wakeAddress), sizeof wakeAddress) != 0 ||
        getsockname(wake, reinterpret_cast<sockaddr*>(&wakeAddress), &size) != 0) {
        const int error = WSAGetLastError();
        if (wake != INVALID_SOCKET) closesocket(wake);
        closesocket(s);
        return error;
    }
    m_wake = wake;
    m_wakeAddress = wakeAddress;
    m_socket = s;
    m_stop = false;
    try {
        Prepare();
        m_worker = std::thread(&Listener::Serve, this);
    } catch (...) {
        // No exception may leave the library; a listener that cannot run is not listening.
        closesocket(s);
        closesocket(m_wake);
        m_socket = m_wake = INVALID_SOCKET;
        return WSAENOBUFS;
    }
    return 0;
}

void Listener::Stop()
{
    if (m_socket == INVALID_SOCKET) return;
    m_stop = true;
    Wake();
    if (m_worker.joinable()) m_worker.join();
    closesocket(m_socket);
    closesocket(m_wake);
    m_socket = m_wake = INVALID_SOCKET;
}

void Listener::Wake()
{
    const char nudge = 0;
    sendto(m_wake, &nudge, 1, 0, reinterpret_cast<const sockaddr*>(&m_wakeAddress), sizeof m_wakeAddress);
}

void Listener::Serve()
{
    while (!m_stop) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        FD_SET(m_wake, &readable);
        AddWaited(readable);
        if (select(0, &readable, nullptr, nullptr, nullptr) == SOCKET_ERROR) {
            Sleep(100); // a peer's socket went bad under us; its owner notices on the next read
            continue;
        }
        if (m_stop) break;
        if (FD_ISSET(m_wake, &readable)) {
            char nudge;
            recv(m_wake, &nudge, 1, 0);
        }
        if (FD_ISSET(m_socket, &readable)) OnReadable(m_socket);
        OnWoken(readable);
    }
    OnStopped();
}
