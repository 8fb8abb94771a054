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
    m_socket = s;
    m_stop = false;
    try {
        Prepare();
        m_worker = std::thread(&Listener::Serve, this);
    } catch (...) {
        // No exception may leave the library; a listener that cannot run is not listening.
        closesocket(s);
        m_socket = INVALID_SOCKET;
        return WSAENOBUFS;
    }
    return 0;
}

void Listener::Stop()
{
    if (m_socket == INVALID_SOCKET) return;
    m_stop = true;
    if (m_worker.joinable()) m_worker.join();
    closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}

void Listener::Serve()
{
    while (!m_stop) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        timeval round = {0, kRoundMs * 1000};
        if (select(0, &readable, nullptr, nullptr, &round) == 1) OnReadable(m_socket);
        OnTick();
    }
    OnStopped();
}
