#include "support/SocketPair.h"

#include <ws2tcpip.h>

#include "wire/Frame.h"

SocketPair::SocketPair()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(listener, 1) == 0 &&
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        m_client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (connect(m_client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            m_server = accept(listener, nullptr, nullptr);
    }
    // Like a socket under WSAAsyncSelect: reads never block.
    u_long nonBlocking = 1;
    if (m_client != INVALID_SOCKET) ioctlsocket(m_client, FIONBIO, &nonBlocking);
    closesocket(listener);
}

SocketPair::~SocketPair()
{
    if (m_ownsClient && m_client != INVALID_SOCKET) closesocket(m_client);
    if (m_server != INVALID_SOCKET) closesocket(m_server);
    WSACleanup();
}

SOCKET SocketPair::ReleaseClient()
{
    m_ownsClient = false;
    return m_client;
}

bool SocketPair::ServerSends(const std::string& bytes)
{
    if (send(m_server, bytes.data(), static_cast<int>(bytes.size()), 0) != static_cast<int>(bytes.size()))
        return false;
    // Loopback delivery is not instant; wait until the client's end sees every byte.
    for (int i = 0; i < 200; ++i) {
        u_long waiting = 0;
        if (ioctlsocket(m_client, FIONREAD, &waiting) == 0 && waiting >= bytes.size()) return true;
        Sleep(5);
    }
    return false;
}

std::string Frame(WORD type, const std::string& payload)
{
    std::string out(kvxwire::kHeaderSize + payload.size(), '\0');
    const size_t size = kvxwire::EncodeFrame(type, payload.data(), payload.size(),
                                             reinterpret_cast<uint8_t*>(&out[0]), out.size());
    out.resize(size);
    return out;
}
