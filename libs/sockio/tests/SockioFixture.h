// The loopback world the socket library's tests share: Winsock started, a window that
// collects the library's connect and event messages, a listener playing the server.
#ifndef KVX_SOCKIO_TESTS_SOCKIOFIXTURE_H
#define KVX_SOCKIO_TESTS_SOCKIOFIXTURE_H

#include <gtest/gtest.h>

#include <winsock2.h>

#include <string>
#include <vector>

const UINT kConnectMessage = WM_USER + 8;
const UINT kEventMessage = WM_USER + 50;

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// One frame as the wire carries it.
std::string Frame(WORD type, const std::string& payload = std::string());

class SockioTest : public ::testing::Test {
protected:
    SockioTest();
    ~SockioTest() override;

    // Collects the connect and event messages for up to `ms`, stopping once `until` are seen.
    std::vector<Seen> Collect(DWORD ms, size_t until = 1000);
    // Listens on a free loopback port and returns it.
    int Listen();
    // Connects through the library; returns the client's socket and accepts the server's end.
    SOCKET ConnectPair(SOCKET* server);

    HWND m_window;
    SOCKET m_listener = INVALID_SOCKET;
};

#endif
