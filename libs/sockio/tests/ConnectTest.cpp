// Connecting through the library: exactly one outcome per attempt, then the socket's events.
#include "SockioFixture.h"

#include <thread>

#include "sockio/sockio.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

TEST_F(SockioTest, EachConnectEndsInExactlyOneOutcome)
{
    const int port = Listen();
    SK_Connect(m_window, kConnectMessage, kEventMessage, "127.0.0.1", port);
    auto seen = Collect(1500);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(static_cast<WPARAM>(CONNECT_DONE), seen[0].wParam);
    closesocket(static_cast<SOCKET>(seen[0].lParam));

    closesocket(m_listener);
    m_listener = INVALID_SOCKET;
    SK_Connect(m_window, kConnectMessage, kEventMessage, "127.0.0.1", port);
    seen = Collect(1500);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(static_cast<WPARAM>(CONNECT_FAILED), seen[0].wParam);
    EXPECT_EQ(WSAECONNREFUSED, seen[0].lParam);

    SK_Connect(m_window, kConnectMessage, kEventMessage, "no-such-host.invalid", port);
    seen = Collect(5000, 1);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(static_cast<WPARAM>(CONNECT_DNS_FAILED), seen[0].wParam);
    EXPECT_NE(0, seen[0].lParam);
}

// A server that speaks first must not have its bytes announced before the client knows the
// socket: the client reads only a socket it has been told about.
TEST_F(SockioTest, BytesSentAtOnceAreAnnouncedAfterTheOutcome)
{
    const int port = Listen();
    std::thread server([this] {
        SOCKET s = accept(m_listener, nullptr, nullptr);
        send(s, "hello", 5, 0);
        Sleep(500);
        closesocket(s);
    });
    SK_Connect(m_window, kConnectMessage, kEventMessage, "127.0.0.1", port);
    const auto seen = Collect(400);
    server.join();
    size_t outcome = seen.size(), readAfter = 0;
    for (size_t i = 0; i < seen.size(); ++i) {
        if (seen[i].message == kConnectMessage) {
            EXPECT_EQ(seen.size(), outcome) << "a second outcome";
            outcome = i;
        } else if (outcome < i && WSAGETSELECTEVENT(seen[i].lParam) == FD_READ) {
            ++readAfter;
        }
    }
    ASSERT_LT(outcome, seen.size());
    ASSERT_EQ(static_cast<WPARAM>(CONNECT_DONE), seen[outcome].wParam);
    EXPECT_LE(1u, readAfter);
    const SOCKET client = static_cast<SOCKET>(seen[outcome].lParam);
    char sink[8];
    EXPECT_EQ(5, recv(client, sink, sizeof sink, 0));
    closesocket(client);
}

// A bar that went away while the worker connected leaves no connection open on the server.
TEST_F(SockioTest, AConnectionNobodyTakesIsClosed)
{
    const int port = Listen();
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    SK_Connect(gone, kConnectMessage, kEventMessage, "127.0.0.1", port);
    SOCKET server = accept(m_listener, nullptr, nullptr);
    ASSERT_NE(INVALID_SOCKET, server);
    DWORD timeout = 3000;
    setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    char sink[4];
    EXPECT_EQ(0, recv(server, sink, sizeof sink, 0)) << "the library closed its end";
    closesocket(server);
}

TEST_F(SockioTest, ReadsAndTheServersCloseArriveAsEvents)
{
    SOCKET server = INVALID_SOCKET;
    const SOCKET client = ConnectPair(&server);
    ASSERT_NE(INVALID_SOCKET, client);
    send(server, "abc", 3, 0);
    auto seen = Collect(2000, 1);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(kEventMessage, seen[0].message);
    EXPECT_EQ(static_cast<WPARAM>(client), seen[0].wParam);
    EXPECT_EQ(FD_READ, WSAGETSELECTEVENT(seen[0].lParam));
    char sink[8];
    EXPECT_EQ(3, recv(client, sink, sizeof sink, 0));

    closesocket(server);
    seen = Collect(2000, 1);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(FD_CLOSE, WSAGETSELECTEVENT(seen[0].lParam));
    closesocket(client);
}

} // namespace
