// The socket library against real Winsock on loopback: connect outcomes arrive as exactly
// one message, socket events follow, frames survive the stream, the listeners answer.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>
#include <utility>
#include <thread>
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

// The session's socket is non-blocking; a frame that does not fit the send buffer at once
// must still go out whole once the peer reads again.
TEST_F(SockioTest, SendingWaitsOutAFullSendBuffer)
{
    SOCKET server = INVALID_SOCKET;
    const SOCKET client = ConnectPair(&server);
    ASSERT_NE(INVALID_SOCKET, client);
    int small = 65536;
    setsockopt(client, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof small);
    setsockopt(server, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof small);
    const int kFrames = 1500;
    std::string expected;
    for (int i = 0; i < kFrames; ++i) expected += Frame(static_cast<WORD>(i), std::string(kvxwire::kMaxPayload, static_cast<char>(i)));
    std::string arrived;
    std::thread reader([&] {
        Sleep(300); // lets the sender run into a full buffer first
        DWORD timeout = 5000;
        setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        char chunk[16384];
        while (arrived.size() < expected.size()) {
            const int n = recv(server, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            arrived.append(chunk, static_cast<size_t>(n));
        }
    });
    int sent = 0;
    for (int i = 0; i < kFrames; ++i)
        if (SK_WPacket(client, static_cast<WORD>(i), expected.data() + i * kvxwire::kMaxFrame + kvxwire::kHeaderSize,
                       static_cast<int>(kvxwire::kMaxPayload)))
            ++sent;
    reader.join();
    EXPECT_EQ(kFrames, sent);
    EXPECT_TRUE(arrived == expected) << arrived.size() << " of " << expected.size() << " bytes arrived intact";
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
    // More new bytes than the buffer has room for count only up to its end.
    memcpy(buffer, Frame(1, std::string(100, 'y')).data(), 104);
    fill = 2000;
    EXPECT_TRUE(SK_Parse(buffer, &fill, 100, &packet));
    EXPECT_EQ(2048 - 104, fill);
    fill = 0;
    EXPECT_FALSE(SK_Parse(buffer, &fill, -5, &packet)) << "a failed read adds nothing";
    EXPECT_EQ(0, fill);
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

TEST_F(SockioTest, ABusyPingPortIsReportedAndLaterTaken)
{
    SOCKET holder = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(SK_PING_PORT);
    ASSERT_EQ(0, bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address));
    EXPECT_EQ(WSAEADDRINUSE, SK_StartPingServer(m_window));
    SK_StopPingServer();
    closesocket(holder);
    EXPECT_EQ(0, SK_StartPingServer(m_window)) << "a failed start leaves nothing behind";
    SK_StopPingServer();
}

namespace {
SOCKET ConnectToEvents()
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(SK_EVENT_PORT);
    connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    DWORD timeout = 2000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    return s;
}

// An event payload: head (kind, data length, sender), 4 unread bytes, then the data.
std::string Event(WORD kind, int32_t from, const std::string& data)
{
    std::string event(kEventDataOffset, '\0');
    kvxwire::WriteU16(reinterpret_cast<uint8_t*>(&event[0]), kind);
    kvxwire::WriteU16(reinterpret_cast<uint8_t*>(&event[2]), static_cast<uint16_t>(data.size()));
    kvxwire::WriteU32(reinterpret_cast<uint8_t*>(&event[4]), static_cast<uint32_t>(from));
    return event + data;
}

std::string ReadUpTo(SOCKET s, size_t size)
{
    std::string got;
    char chunk[64];
    while (got.size() < size) {
        const int n = recv(s, chunk, static_cast<int>(sizeof chunk), 0);
        if (n <= 0) break;
        got.append(chunk, static_cast<size_t>(n));
    }
    return got;
}
} // namespace

TEST_F(SockioTest, TheEventListenerTellsTheBarAndAcknowledgesEachEvent)
{
    ASSERT_EQ(0, SK_StartEventServer(m_window));
    EXPECT_EQ(0, SK_StartEventServer(m_window)) << "starting twice is harmless";
    const UINT notice = RegisterWindowMessageA(SK_PEER_EVENT_MESSAGE);
    SOCKET peer = ConnectToEvents();
    // Two events in one send, a third split over two sends.
    const std::string two = Frame(PKT_NEW_EVENT, Event(7, 4711, "abc")) + Frame(PKT_NEW_EVENT, Event(8, 12, ""));
    send(peer, two.data(), static_cast<int>(two.size()), 0);
    const std::string third = Frame(PKT_NEW_EVENT, Event(9, 99, std::string(kMaxEventData, 'd')));
    send(peer, third.data(), 10, 0);
    Sleep(150);
    send(peer, third.data() + 10, static_cast<int>(third.size() - 10), 0);
    const std::string ack = Frame(SK_PEER_EVENT_ACK);
    EXPECT_EQ(ack + ack + ack, ReadUpTo(peer, 3 * ack.size()));
    closesocket(peer);

    std::vector<std::pair<WPARAM, LPARAM>> told;
    const DWORD end = GetTickCount() + 1000;
    while (told.size() < 3 && GetTickCount() < end) {
        MSG msg;
        while (PeekMessageA(&msg, m_window, notice, notice, PM_REMOVE)) told.push_back({msg.wParam, msg.lParam});
        Sleep(5);
    }
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {{7, 4711}, {8, 12}, {9, 99}};
    EXPECT_EQ(expected, told);
    SK_StopEventServer();
}

TEST_F(SockioTest, TheEventListenerDropsPeersThatSendNoEventAndAllPeersOnStop)
{
    ASSERT_EQ(0, SK_StartEventServer(m_window));
    char reply[16];
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string tooLong = Event(1, 1, "abc");
    kvxwire::WriteU16(reinterpret_cast<uint8_t*>(&tooLong[2]), 4); // claims more data than it carries
    const Case cases[] = {
        {"another packet type", Frame(PKT_LOGIN, std::string(16, 'x'))},
        {"an event shorter than its head", Frame(PKT_NEW_EVENT, std::string(10, '\0'))},
        {"an event claiming more data than it has", Frame(PKT_NEW_EVENT, tooLong)},
        {"data past what an event record holds", Frame(PKT_NEW_EVENT, Event(1, 1, std::string(kMaxEventData + 1, 'd')))},
        {"a frame longer than any can be", std::string("\x32\x05\xff\x7f", 4)},
    };
    for (const Case& c : cases) {
        SOCKET rude = ConnectToEvents();
        send(rude, c.bytes.data(), static_cast<int>(c.bytes.size()), 0);
        EXPECT_EQ(0, recv(rude, reply, sizeof reply, 0)) << c.what;
        closesocket(rude);
    }

    SOCKET quiet = ConnectToEvents();
    Sleep(150); // accepted
    SK_StopEventServer();
    const int got = recv(quiet, reply, sizeof reply, 0);
    EXPECT_TRUE(got == 0 || (got < 0 && WSAGetLastError() == WSAECONNRESET)) << "stopping closes every peer";
    closesocket(quiet);
    SOCKET late = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(SK_EVENT_PORT);
    EXPECT_NE(0, connect(late, reinterpret_cast<sockaddr*>(&address), sizeof address)) << "nobody listens after Stop";
    closesocket(late);
    SK_StopEventServer();
}

} // namespace
