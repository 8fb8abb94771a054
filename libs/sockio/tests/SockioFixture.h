// The loopback world of the socket library's tests: Winsock started through the library, a
// window collecting its connect and socket-event messages, and a listener playing the server.
#ifndef KVX_SOCKIO_TESTS_SOCKIOFIXTURE_H
#define KVX_SOCKIO_TESTS_SOCKIOFIXTURE_H

#include <gtest/gtest.h>

#include <winsock2.h>

#include <string>
#include <vector>

#include "sockio/sockio.h"
#include "support/SocketPair.h"

const UINT kConnectMessage = WM_USER + 8;
const UINT kEventMessage = WM_USER + 50;

// A loopback socket of `type` connected to `port` (0: unconnected), reads giving up after 2 s;
// INVALID_SOCKET when nobody listens.
inline SOCKET Dial(int type, int port)
{
    SOCKET s = socket(AF_INET, type, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    const DWORD timeout = 2000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    if (port == 0 || connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return s;
    closesocket(s);
    return INVALID_SOCKET;
}

// Reads until `size` bytes came or the peer stops sending.
inline std::string ReadUpTo(SOCKET s, size_t size)
{
    std::string got;
    char chunk[16384];
    for (int n = 1; got.size() < size && n > 0;)
        if ((n = recv(s, chunk, static_cast<int>(sizeof chunk), 0)) > 0) got.append(chunk, static_cast<size_t>(n));
    return got;
}

class SockioTest : public ::testing::Test {
protected:
    SockioTest() { EXPECT_TRUE(SK_Init(1, 1)); }
    ~SockioTest() override
    {
        DestroyWindow(m_window);
        closesocket(m_listener);
        WSACleanup();
    }

    // The connect and socket-event messages that arrive within `ms`, stopping once `until` came.
    std::vector<MSG> Collect(DWORD ms, size_t until = 1000)
    {
        std::vector<MSG> seen;
        for (const DWORD end = GetTickCount() + ms; GetTickCount() < end && seen.size() < until; Sleep(5))
            for (MSG msg; PeekMessageA(&msg, m_window, kConnectMessage, kEventMessage, PM_REMOVE);)
                if (msg.message == kConnectMessage || msg.message == kEventMessage) seen.push_back(msg);
        return seen;
    }
    // Listens on a free loopback port and returns it.
    int Listen()
    {
        m_listener = Dial(SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
        listen(m_listener, 4);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        return ntohs(address.sin_port);
    }
    // Connects through the library: the client's socket, and the server's end in *server.
    SOCKET ConnectPair(SOCKET* server)
    {
        SK_Connect(m_window, kConnectMessage, kEventMessage, "127.0.0.1", Listen());
        const std::vector<MSG> seen = Collect(5000, 1);
        if (seen.size() != 1 || seen[0].wParam != CONNECT_DONE) return INVALID_SOCKET;
        *server = accept(m_listener, nullptr, nullptr);
        return static_cast<SOCKET>(seen[0].lParam);
    }

    HWND m_window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SOCKET m_listener = INVALID_SOCKET;
};

#endif
