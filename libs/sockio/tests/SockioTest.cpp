// The socket library reached the way the client and other users' clients reach it: connecting
// (one outcome per attempt, then the socket's events), the stream, parsing however the reads
// cut it, and the ping and event listeners.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <string.h>

#include <algorithm>
#include <thread>
#include <tuple>
#include <vector>

#include "sockio/sockio.h"
#include "support/WireClient.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const UINT kConnect = WM_USER + 8, kEvent = WM_USER + 50;
const int kMax = static_cast<int>(kvxwire::kMaxPayload);

// A loopback socket of `type` connected to `port` (0: none), giving up reads after 2 s;
// INVALID_SOCKET when nobody listens.
SOCKET Dial(int type, int port)
{
    SOCKET s = socket(AF_INET, type, 0);
    const sockaddr_in address = {AF_INET, htons(static_cast<u_short>(port)), {{{127, 0, 0, 1}}}, {}};
    const DWORD timeout = 2000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    if (port == 0 || connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return s;
    closesocket(s);
    return INVALID_SOCKET;
}

// What arrives until `size` bytes came or the peer stops sending.
std::string ReadUpTo(SOCKET s, size_t size)
{
    std::string got;
    char chunk[16384];
    for (int n = 1; got.size() < size && n > 0;)
        if ((n = recv(s, chunk, static_cast<int>(sizeof chunk), 0)) > 0) got.append(chunk, static_cast<size_t>(n));
    return got;
}

class SockioTest : public ::testing::Test {
protected:
    SockioTest()
    {
        EXPECT_TRUE(SK_Init(1, 1));
        m_listener = Dial(SOCK_STREAM, 0);
        sockaddr_in address = {AF_INET, 0, {{{127, 0, 0, 1}}}, {}};
        int size = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
        listen(m_listener, 4);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
    }
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
            for (MSG msg; PeekMessageA(&msg, m_window, kConnect, kEvent, PM_REMOVE);)
                if (msg.message == kConnect || msg.message == kEvent) seen.push_back(msg);
        return seen;
    }
    HWND m_window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SOCKET m_listener = INVALID_SOCKET;
    int m_port = 0;
};

TEST_F(SockioTest, EachConnectEndsInExactlyOneOutcome)
{
    // Host, then the outcome and its error (-1: any but 0).
    const std::tuple<const char*, WPARAM, LPARAM> cases[] = {{"127.0.0.1", CONNECT_DONE, -1},
                                                             {"127.0.0.1", CONNECT_FAILED, WSAECONNREFUSED},
                                                             {"no-such-host.invalid", CONNECT_DNS_FAILED, -1}};
    for (const auto& [host, outcome, error] : cases) {
        SK_Connect(m_window, kConnect, kEvent, host, m_port);
        const std::vector<MSG> seen = Collect(5000, 1);
        ASSERT_EQ(1u, seen.size()) << host;
        EXPECT_TRUE(Collect(200).empty()) << "a second message after the outcome";
        EXPECT_EQ(outcome, seen[0].wParam);
        EXPECT_TRUE(error == -1 ? seen[0].lParam != 0 : seen[0].lParam == error) << seen[0].lParam;
        if (outcome != CONNECT_DONE) continue;
        closesocket(static_cast<SOCKET>(seen[0].lParam));
        closesocket(m_listener); // the next attempt is refused
        m_listener = INVALID_SOCKET;
    }
}

// The client reads only a socket it has been told about: bytes a server sends at once are
// announced again after the outcome, and so is its close.
TEST_F(SockioTest, TheServersBytesAndCloseAreAnnouncedAfterTheOutcome)
{
    std::thread server([this] {
        SOCKET s = accept(m_listener, nullptr, nullptr);
        send(s, "hello", 5, 0);
        Sleep(500);
        closesocket(s);
    });
    SK_Connect(m_window, kConnect, kEvent, "127.0.0.1", m_port);
    const std::vector<MSG> seen = Collect(400);
    server.join();
    auto isOutcome = [](const MSG& m) { return m.message == kConnect; };
    const auto outcome = std::find_if(seen.begin(), seen.end(), isOutcome);
    ASSERT_TRUE(outcome != seen.end());
    ASSERT_EQ(static_cast<WPARAM>(CONNECT_DONE), outcome->wParam);
    EXPECT_EQ(1, std::count_if(seen.begin(), seen.end(), isOutcome));
    EXPECT_TRUE(
        std::any_of(outcome + 1, seen.end(), [](const MSG& m) { return WSAGETSELECTEVENT(m.lParam) == FD_READ; }));
    const SOCKET client = static_cast<SOCKET>(outcome->lParam);
    EXPECT_EQ("hello", ReadUpTo(client, 5));
    const std::vector<MSG> closed = Collect(2000, 1);
    ASSERT_EQ(1u, closed.size());
    EXPECT_EQ(static_cast<WPARAM>(client), closed[0].wParam);
    EXPECT_EQ(FD_CLOSE, WSAGETSELECTEVENT(closed[0].lParam));
    closesocket(client);
}

// A bar that went away while the worker connected leaves no connection open on the server.
TEST_F(SockioTest, AConnectionNobodyTakesIsClosed)
{
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    SK_Connect(gone, kConnect, kEvent, "127.0.0.1", m_port);
    SOCKET server = accept(m_listener, nullptr, nullptr);
    char sink[4];
    EXPECT_EQ(0, recv(server, sink, sizeof sink, 0)) << "the library closed its end";
    closesocket(server);
}

// The session's socket is non-blocking; frames that do not fit the send buffer at once must
// still go out whole once the peer reads again. Frames too long or without a socket do not.
TEST_F(SockioTest, PacketsGoOutWholeEvenPastAFullSendBuffer)
{
    SK_Connect(m_window, kConnect, kEvent, "127.0.0.1", m_port);
    const std::vector<MSG> seen = Collect(5000, 1);
    ASSERT_TRUE(seen.size() == 1 && seen[0].wParam == CONNECT_DONE);
    const SOCKET client = static_cast<SOCKET>(seen[0].lParam), server = accept(m_listener, nullptr, nullptr);
    const std::string longest(kvxwire::kMaxPayload, 'L');
    const std::tuple<UINT_PTR, const char*, int> refused[] = {
        {0, "", 0}, {~UINT_PTR(0), "", 0}, {client, longest.data(), kMax + 1}, {client, nullptr, 1}, {client, "", -1}};
    for (const auto& [socket, data, length] : refused) EXPECT_FALSE(SK_WPacket(socket, 1, data, length)) << length;
    const int small = 65536;
    setsockopt(client, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof small);
    setsockopt(server, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof small);
    std::string expected = Frame(1060);
    for (int i = 0; i < 1500; ++i)
        expected += Frame(static_cast<WORD>(i), std::string(longest.size(), static_cast<char>(i)));
    std::string arrived;
    std::thread reader([&] {
        Sleep(300); // lets the sender run into a full buffer first
        arrived = ReadUpTo(server, expected.size());
    });
    int sent = SK_WPacket(client, 1060, nullptr, 0);
    for (size_t at = 4; at < expected.size(); at += kvxwire::kMaxFrame)
        sent += SK_WPacket(client, static_cast<WORD>(sent - 1), expected.data() + at + kvxwire::kHeaderSize, kMax);
    reader.join();
    EXPECT_EQ(1501, sent);
    EXPECT_TRUE(arrived == expected) << arrived.size() << " of " << expected.size() << " bytes arrived intact";
    closesocket(server);
    closesocket(client);
}

// Feeds `stream` to SK_Parse `chunk` bytes at a time as the client's receive loop does: each
// read lands behind what the buffer holds, then packets are taken while there are any.
std::string ParseInChunks(const std::string& stream, size_t chunk, int* fill)
{
    char buffer[kvxwire::kMaxFrame];
    std::string packets;
    PACKET_DATA packet;
    *fill = 0;
    for (size_t at = 0, n = 0; at < stream.size() && *fill >= 0; at += n) {
        n = std::min({chunk, stream.size() - at, sizeof buffer - static_cast<size_t>(*fill)});
        memcpy(buffer + *fill, stream.data() + at, n);
        for (int fresh = static_cast<int>(n); SK_Parse(buffer, fill, fresh, &packet); fresh = 0)
            packets += Frame(packet.type, std::string(reinterpret_cast<char*>(packet.payload), packet.length));
    }
    return packets;
}

TEST(Parse, TakesWholeFramesHoweverTheReadsCutThem)
{
    // A short frame before long ones, and the largest frame, which fills the buffer exactly.
    const std::string stream =
        Frame(1070) + Frame(1080, std::string(300, 'h')) + Frame(1, std::string(kMax, 'x')) + Frame(1020, "xyz");
    int fill = -2;
    for (size_t chunk : {1, 3, 5, 300, 2047, 2048, 4096}) {
        EXPECT_TRUE(ParseInChunks(stream, chunk, &fill) == stream) << "reads of " << chunk;
        EXPECT_EQ(0, fill);
    }
    // A length past the largest frame can never complete: the stream is broken.
    EXPECT_EQ("", ParseInChunks(std::string("\x01\x00\xfd\x07", 4) + std::string(kMax, 'z'), 2048, &fill));
    EXPECT_EQ(SK_STREAM_BROKEN, fill);
    // More new bytes than the buffer has room for count only up to its end; a failed read adds none.
    char buffer[kvxwire::kMaxFrame];
    memcpy(buffer, Frame(7, std::string(100, 'y')).data(), 104);
    PACKET_DATA packet;
    fill = 2000;
    EXPECT_TRUE(SK_Parse(buffer, &fill, 100, &packet));
    EXPECT_EQ(2048 - 104, fill);
    fill = 0;
    EXPECT_FALSE(SK_Parse(buffer, &fill, -1, &packet) || fill != 0);
}

TEST_F(SockioTest, ThePingListenerAnswersPingsOnlyAndReportsABusyPort)
{
    SOCKET holder = Dial(SOCK_DGRAM, 0);
    const sockaddr_in address = {AF_INET, htons(SK_PING_PORT), {}, {}};
    ASSERT_EQ(0, bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof address)) << "the ping port is taken";
    EXPECT_EQ(WSAEADDRINUSE, SK_StartPingServer(m_window));
    SK_StopPingServer();
    closesocket(holder);
    ASSERT_EQ(0, SK_StartPingServer(m_window)) << "a failed start leaves nothing behind";
    EXPECT_EQ(0, SK_StartPingServer(m_window)) << "starting twice is harmless";
    SOCKET udp = Dial(SOCK_DGRAM, SK_PING_PORT);
    for (const std::string& datagram :
         {std::string("not a frame"), Frame(SK_PEER_PONG, "t=1"), Frame(SK_PEER_PING, "t=42")})
        send(udp, datagram.data(), static_cast<int>(datagram.size()), 0);
    char reply[64];
    const int n = recv(udp, reply, sizeof reply, 0);
    EXPECT_EQ(Frame(SK_PEER_PONG, "t=42"), std::string(reply, n > 0 ? n : 0)) << "only the ping is answered";
    closesocket(udp);
    SK_StopPingServer();
    SK_StopPingServer();
}

// An event as another user's client sends it: head (kind, data length, sender), 4 unread
// bytes, then the data.
std::string Event(WORD kind, uint32_t from, const std::string& data, size_t claimed)
{
    std::string event(kEventDataOffset, '\0');
    kvxwire::WriteU16(reinterpret_cast<uint8_t*>(&event[0]), kind);
    kvxwire::WriteU16(reinterpret_cast<uint8_t*>(&event[2]), static_cast<uint16_t>(claimed));
    kvxwire::WriteU32(reinterpret_cast<uint8_t*>(&event[4]), from);
    return Frame(PKT_NEW_EVENT, event + data);
}

TEST_F(SockioTest, TheEventListenerTellsTheBarOfEachEventAcknowledgesItAndDropsOtherPeers)
{
    ASSERT_EQ(0, SK_StartEventServer(m_window));
    EXPECT_EQ(0, SK_StartEventServer(m_window)) << "starting twice is harmless";
    SOCKET peer = Dial(SOCK_STREAM, SK_EVENT_PORT);
    const std::string two = Event(7, 4711, "abc", 3) + Event(8, 12, "", 0);
    const std::string largest = Event(9, 99, std::string(kMaxEventData, 'd'), kMaxEventData);
    for (const std::string& part : {two, largest.substr(0, 10), largest.substr(10)}) {
        send(peer, part.data(), static_cast<int>(part.size()), 0);
        Sleep(100); // the largest arrives in two pieces
    }
    const std::string ack = Frame(SK_PEER_EVENT_ACK);
    EXPECT_EQ(ack + ack + ack, ReadUpTo(peer, 3 * ack.size()));
    closesocket(peer);
    const UINT notice = RegisterWindowMessageA(SK_PEER_EVENT_MESSAGE);
    std::vector<std::pair<WPARAM, LPARAM>> told;
    for (MSG msg; PeekMessageA(&msg, m_window, notice, notice, PM_REMOVE);) told.push_back({msg.wParam, msg.lParam});
    EXPECT_EQ((std::vector<std::pair<WPARAM, LPARAM>>{{7, 4711}, {8, 12}, {9, 99}}), told);

    const std::string rude[] = {
        Frame(PKT_LOGIN, std::string(16, 'x')),                              // another packet type
        Frame(PKT_NEW_EVENT, std::string(kEventDataOffset - 1, '\0')),       // shorter than its head
        Event(1, 1, "abc", 4),                                               // claiming more than it has
        Event(1, 1, std::string(kMaxEventData + 1, 'd'), kMaxEventData + 1), // more than an event holds
        std::string("\x32\x05\xfd\x07", 4),                                  // longer than any frame
    };
    char reply[16];
    for (const std::string& bytes : rude) {
        SOCKET s = Dial(SOCK_STREAM, SK_EVENT_PORT);
        send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
        EXPECT_EQ(0, recv(s, reply, sizeof reply, 0)) << "dropped";
        closesocket(s);
    }
    SOCKET quiet = Dial(SOCK_STREAM, SK_EVENT_PORT);
    Sleep(150); // accepted
    SK_StopEventServer();
    EXPECT_GE(0, recv(quiet, reply, sizeof reply, 0)) << "stopping closes every peer";
    closesocket(quiet);
    EXPECT_EQ(INVALID_SOCKET, Dial(SOCK_STREAM, SK_EVENT_PORT)) << "nobody listens after Stop";
    SK_StopEventServer();
}

} // namespace
