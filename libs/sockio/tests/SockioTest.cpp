// The socket library against real Winsock on loopback: connect outcomes arrive as exactly
// one message, socket events follow, frames survive the stream, the listeners answer.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>
#include <vector>

#include "sockio/sockio.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const UINT kConnectMessage = WM_USER + 8;
const UINT kEventMessage = WM_USER + 50;

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class SockioTest : public ::testing::Test {
protected:
    SockioTest()
    {
        EXPECT_TRUE(SK_Init(1, 1));
        m_window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    }
    ~SockioTest() override
    {
        DestroyWindow(m_window);
        if (m_listener != INVALID_SOCKET) closesocket(m_listener);
        WSACleanup();
    }

    // Collects our two messages for up to `ms`, stopping early once `until` are seen.
    std::vector<Seen> Collect(DWORD ms, size_t until = 1000)
    {
        std::vector<Seen> seen;
        const DWORD end = GetTickCount() + ms;
        while (GetTickCount() < end && seen.size() < until) {
            MSG msg;
            while (PeekMessageA(&msg, m_window, 0, 0, PM_REMOVE))
                if (msg.message == kConnectMessage || msg.message == kEventMessage)
                    seen.push_back({msg.message, msg.wParam, msg.lParam});
            Sleep(5);
        }
        return seen;
    }
    int Listen()
    {
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
        listen(m_listener, 4);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        return ntohs(address.sin_port);
    }
    // Connects through the library and accepts the server's end.
    SOCKET ConnectPair(SOCKET* server)
    {
        const int port = Listen();
        SK_Connect(m_window, kConnectMessage, kEventMessage, "127.0.0.1", port);
        const auto seen = Collect(5000, 1);
        if (seen.size() != 1 || seen[0].wParam != CONNECT_DONE) return INVALID_SOCKET;
        *server = accept(m_listener, nullptr, nullptr);
        return static_cast<SOCKET>(seen[0].lParam);
    }
    static std::string Frame(WORD type, const std::string& payload = std::string())
    {
        std::string out(kvxwire::kHeaderSize + payload.size(), '\0');
        kvxwire::EncodeFrame(type, payload.data(), payload.size(), reinterpret_cast<uint8_t*>(&out[0]), out.size());
        return out;
    }

    HWND m_window;
    SOCKET m_listener = INVALID_SOCKET;
};

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

TEST_F(SockioTest, PacketsCrossTheStreamWholeWhateverTheReadsCutThem)
{
    SOCKET server = INVALID_SOCKET;
    const SOCKET client = ConnectPair(&server);
    ASSERT_NE(INVALID_SOCKET, client);
    const std::string record(16, 'r');
    ASSERT_TRUE(SK_WPacket(client, PKT_LOGIN, record.data(), 16));
    ASSERT_TRUE(SK_WPacket(client, PKT_KEEP_ALIVE, nullptr, 0));
    std::string arrived(24, '\0');
    int got = 0;
    for (int i = 0; i < 100 && got < 24; ++i) {
        const int n = recv(server, &arrived[got], 24 - got, 0);
        if (n > 0) got += n;
        else Sleep(10);
    }
    EXPECT_EQ(Frame(PKT_LOGIN, record) + Frame(PKT_KEEP_ALIVE), arrived);

    EXPECT_FALSE(SK_WPacket(0, PKT_KEEP_ALIVE, nullptr, 0)) << "no connection";
    EXPECT_FALSE(SK_WPacket(client, 1, record.data(), static_cast<int>(kvxwire::kMaxPayload) + 1)) << "too long";
    closesocket(server);
    closesocket(client);
}

TEST_F(SockioTest, ParseTakesWholeFramesOneAtATimeAndKeepsTheRest)
{
    char buffer[2048];
    int fill = 0;
    PACKET_DATA packet;
    const std::string stream = Frame(1070) + Frame(1080, "hi") + Frame(1020, "xyz");
    // The first frame and a half of the second.
    memcpy(buffer, stream.data(), 6);
    ASSERT_TRUE(SK_Parse(buffer, &fill, 6, &packet));
    EXPECT_EQ(1070, packet.type);
    EXPECT_EQ(2, fill);
    EXPECT_FALSE(SK_Parse(buffer, &fill, 0, &packet));
    memcpy(buffer + fill, stream.data() + 6, stream.size() - 6);
    ASSERT_TRUE(SK_Parse(buffer, &fill, static_cast<int>(stream.size() - 6), &packet));
    EXPECT_EQ(1080, packet.type);
    EXPECT_EQ(2, packet.length);
    EXPECT_EQ(0, memcmp(packet.payload, "hi", 2));
    ASSERT_TRUE(SK_Parse(buffer, &fill, 0, &packet));
    EXPECT_EQ(1020, packet.type);
    EXPECT_EQ(0, fill);

    // A full buffer holding the largest frame parses; a claim past it is a broken stream.
    const std::string largest = Frame(1, std::string(kvxwire::kMaxPayload, 'x'));
    memcpy(buffer, largest.data(), largest.size());
    fill = 0;
    ASSERT_TRUE(SK_Parse(buffer, &fill, 2048, &packet));
    EXPECT_EQ(0, fill);
    memcpy(buffer, "\x01\x00\xff\x7f", 4);
    fill = 0;
    EXPECT_FALSE(SK_Parse(buffer, &fill, 4, &packet));
    EXPECT_EQ(SK_STREAM_BROKEN, fill);
    fill = 2040;
    EXPECT_FALSE(SK_Parse(buffer, &fill, 100, &packet)) << "more than the buffer holds is clamped, not added";
}

TEST_F(SockioTest, ThePingListenerEchoesPingsAsPongs)
{
    ASSERT_EQ(0, SK_StartPingServer(m_window));
    EXPECT_EQ(0, SK_StartPingServer(m_window)) << "starting twice is harmless";
    SOCKET udp = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(SK_PING_PORT);
    DWORD timeout = 2000;
    setsockopt(udp, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    const std::string junk = "not a frame";
    sendto(udp, junk.data(), static_cast<int>(junk.size()), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const std::string ping = Frame(SK_PEER_PING, "t=42");
    sendto(udp, ping.data(), static_cast<int>(ping.size()), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    char reply[64];
    const int n = recvfrom(udp, reply, sizeof reply, 0, nullptr, nullptr);
    EXPECT_EQ(Frame(SK_PEER_PONG, "t=42"), std::string(reply, n > 0 ? n : 0)) << "only the ping is answered";
    closesocket(udp);
    SK_StopPingServer();
    SK_StopPingServer();
}

TEST_F(SockioTest, TheEventListenerAcknowledgesEventsAndDropsOtherPeers)
{
    ASSERT_EQ(0, SK_StartEventServer(m_window));
    auto connectToEvents = [] {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(SK_EVENT_PORT);
        connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        DWORD timeout = 2000;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        return s;
    };
    std::string event(20, '\0');
    event[2] = 3;
    event += "abc";
    SOCKET peer = connectToEvents();
    const std::string two = Frame(PKT_NEW_EVENT, event) + Frame(PKT_NEW_EVENT, event);
    send(peer, two.data(), static_cast<int>(two.size()), 0);
    char reply[16];
    int got = 0;
    while (got < 8) {
        const int n = recv(peer, reply + got, sizeof reply - got, 0);
        if (n <= 0) break;
        got += n;
    }
    EXPECT_EQ(Frame(SK_PEER_EVENT_ACK) + Frame(SK_PEER_EVENT_ACK), std::string(reply, got));
    closesocket(peer);

    SOCKET rude = connectToEvents();
    const std::string other = Frame(PKT_LOGIN, std::string(16, 'x'));
    send(rude, other.data(), static_cast<int>(other.size()), 0);
    EXPECT_EQ(0, recv(rude, reply, sizeof reply, 0)) << "a peer that sends no event is dropped";
    closesocket(rude);
    SK_StopEventServer();
}

} // namespace
