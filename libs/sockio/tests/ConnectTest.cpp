// The server connection: exactly one outcome per attempt, then the socket's events.
#include "SockioFixture.h"

#include <algorithm>
#include <thread>


namespace {

TEST_F(SockioTest, EachConnectEndsInExactlyOneOutcome)
{
    const int port = Listen();
    const struct {
        const char* host;
        bool listening;
        WPARAM outcome;
        LPARAM error; // -1: any but 0
    } cases[] = {
        {"127.0.0.1", true, CONNECT_DONE, -1},
        {"127.0.0.1", false, CONNECT_FAILED, WSAECONNREFUSED},
        {"no-such-host.invalid", false, CONNECT_DNS_FAILED, -1},
    };
    for (const auto& c : cases) {
        if (!c.listening && m_listener != INVALID_SOCKET) closesocket(m_listener), m_listener = INVALID_SOCKET;
        SK_Connect(m_window, kConnectMessage, kEventMessage, c.host, port);
        const std::vector<MSG> seen = Collect(5000, 1);
        ASSERT_EQ(1u, seen.size()) << c.host;
        EXPECT_TRUE(Collect(200).empty()) << "a second message after the outcome";
        EXPECT_EQ(c.outcome, seen[0].wParam);
        if (c.error == -1) EXPECT_NE(0, seen[0].lParam);
        else EXPECT_EQ(c.error, seen[0].lParam);
        if (c.outcome == CONNECT_DONE) closesocket(static_cast<SOCKET>(seen[0].lParam));
    }
}

// The client reads only a socket it has been told about: a server that speaks at once must
// not have its bytes announced before the outcome.
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
    const std::vector<MSG> seen = Collect(400);
    server.join();
    auto isOutcome = [](const MSG& m) { return m.message == kConnectMessage; };
    const auto outcome = std::find_if(seen.begin(), seen.end(), isOutcome);
    ASSERT_TRUE(outcome != seen.end());
    ASSERT_EQ(static_cast<WPARAM>(CONNECT_DONE), outcome->wParam);
    EXPECT_EQ(1, std::count_if(seen.begin(), seen.end(), isOutcome));
    EXPECT_TRUE(std::any_of(outcome + 1, seen.end(), [](const MSG& m) { return WSAGETSELECTEVENT(m.lParam) == FD_READ; }));
    const SOCKET client = static_cast<SOCKET>(outcome->lParam);
    EXPECT_EQ("hello", ReadUpTo(client, 5));
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
    const DWORD timeout = 3000;
    setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    char sink[4];
    EXPECT_EQ(0, recv(server, sink, sizeof sink, 0)) << "the library closed its end";
    closesocket(server);
}

} // namespace
