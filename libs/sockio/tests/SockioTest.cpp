// The socket library reached the way the client and other users' clients reach it: connecting
// with TLS to the misbehaving server (one outcome per attempt, then the socket's events), the
// stream, parsing however records and reads cut it, and the ping and event listeners.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <string.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

#include "records/Bar.h"
#include "sockio/sockio.h"
#include "support/InFolder.h"
#include "support/ServerProcess.h"
#include "support/Wait.h"
#include "support/WireClient.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const UINT kConnect = BAR_CONNECT_RESULT, kEvent = BAR_SOCKET_EVENT;
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

// The scratch folder is where the library reads KVX.ini.
class SockioTest : public InScratchFolder {
protected:
    SockioTest() { EXPECT_TRUE(SK_Init(1, 1)); }
    ~SockioTest() override
    {
        DestroyWindow(m_window);
        WSACleanup();
    }
    // The misbehaving server (TLS, port 2600) playing `scripts`, one a connection, its certificate pinned.
    bool StartServer(const std::vector<std::string>& scripts) { return m_server.StartHostile(scripts) && Pin("real"); }
    // Pins the server's certificate as `pin` says: "" none, "wrong" another one, else the real one.
    bool Pin(const std::string& pin)
    {
        const std::string value = pin == "real" ? m_server.Fingerprint() : pin == "wrong" ? std::string(64, 'a') : "";
        folder.Write("KVX.ini", "[Server]\r\nFingerprint=" + value + "\r\n");
        return true;
    }
    // The connect and socket-event messages that arrive within `ms`, stopping once `until` came
    // or one that `last` picks.
    std::vector<MSG> Collect(DWORD ms, size_t until = 1000, const std::function<bool(const MSG&)>& last = nullptr)
    {
        std::vector<MSG> seen;
        bool done = false;
        for (const DWORD end = GetTickCount() + ms; GetTickCount() < end && seen.size() < until && !done; Sleep(5))
            for (MSG msg; PeekMessageA(&msg, m_window, kConnect, kEvent, PM_REMOVE);)
                if (msg.message == kConnect || msg.message == kEvent) {
                    seen.push_back(msg);
                    done = done || (last && last(msg));
                }
        return seen;
    }
    // Connects to the misbehaving server, passing over the events of earlier sockets; the socket,
    // or INVALID_SOCKET.
    SOCKET Connect()
    {
        SK_Connect(m_window, kConnect, kEvent, m_server.Address().c_str(), 2600);
        const std::vector<MSG> seen = Collect(20000, 1000, [](const MSG& m) { return m.message == kConnect; });
        const bool done = !seen.empty() && seen.back().message == kConnect && seen.back().wParam == CONNECT_DONE;
        EXPECT_TRUE(done) << (seen.empty() ? -1 : static_cast<long long>(seen.back().lParam));
        return done ? static_cast<SOCKET>(seen.back().lParam) : INVALID_SOCKET;
    }
    // Reads `client` up to `chunk` bytes at a time as the client's receive loop does, handing each
    // packet SK_Parse takes out to `take` until it returns true; false when none did within 10 s.
    static bool Receive(SOCKET client, int chunk, const std::function<bool(const PACKET_DATA&)>& take)
    {
        char buffer[kvxwire::kMaxFrame];
        int fill = 0;
        PACKET_DATA packet = {};
        for (const DWORD end = GetTickCount() + 10000; GetTickCount() < end;) {
            const int room = static_cast<int>(sizeof buffer) - fill;
            const int n = recv(client, buffer + fill, chunk < room ? chunk : room, 0);
            for (int fresh = n > 0 ? n : 0; SK_Parse(buffer, &fill, fresh, &packet); fresh = 0)
                if (take(packet)) return true;
            if (n <= 0) Sleep(5);
        }
        return false;
    }
    HWND m_window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ServerProcess m_server{folder.Path(), "127.0.0.140"};
};

// A bar that went away while the worker connected leaves no connection open on the server.
TEST_F(SockioTest, EachConnectEndsInExactlyOneOutcomeAndOneNobodyTakesIsClosed)
{
    ASSERT_TRUE(StartServer(
        {"await-version", "await-version", "await-version", "await-version", "stall-handshake", "garbage-handshake"}))
        << m_server.Log();
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    SK_Connect(gone, kConnect, kEvent, m_server.Address().c_str(), 2600);
    EXPECT_TRUE(WaitFor([&] { return m_server.Output().find("went away") != std::string::npos; }, 20000))
        << "the library closed its end: " << m_server.Output();
    // What answers (the server's next script, "refused" once it is stopped, "nobody" for a name
    // that does not resolve), the pin, then the outcome and its error (-1: any but 0).
    const std::tuple<std::string, std::string, WPARAM, LPARAM> cases[] = {
        {"await-version", "real", CONNECT_DONE, -1},
        {"await-version", "wrong", CONNECT_FAILED, SK_TLS_CERT_REJECTED},
        {"await-version", "", CONNECT_FAILED, SK_TLS_CERT_REJECTED}, // self-signed, not trusted by the system
        {"stall-handshake", "real", CONNECT_FAILED, SK_TLS_HANDSHAKE_FAILED},
        {"garbage-handshake", "real", CONNECT_FAILED, SK_TLS_HANDSHAKE_FAILED},
        {"refused", "real", CONNECT_FAILED, WSAECONNREFUSED},
        {"nobody", "real", CONNECT_DNS_FAILED, -1},
    };
    for (const auto& [peer, pin, outcome, error] : cases) {
        SCOPED_TRACE(peer + " pinned " + pin);
        Pin(pin);
        if (peer == "refused") m_server.Stop();
        const std::string host = peer == "nobody" ? "no-such-host.invalid" : m_server.Address();
        SK_Connect(m_window, kConnect, kEvent, host.c_str(), 2600);
        const std::vector<MSG> seen = Collect(20000, 1);
        ASSERT_EQ(1u, seen.size());
        EXPECT_TRUE(Collect(200).empty()) << "a second message after the outcome";
        EXPECT_EQ(outcome, seen[0].wParam);
        EXPECT_TRUE(error == -1 ? seen[0].lParam != 0 : seen[0].lParam == error) << seen[0].lParam;
        int code = static_cast<int>(seen[0].lParam);
        EXPECT_TRUE(outcome != CONNECT_FAILED || strcmp("Unknown network error.", SK_Error(&code)) != 0) << code;
        if (outcome == CONNECT_DONE) closesocket(static_cast<SOCKET>(seen[0].lParam));
    }
}

// The client reads only a socket it has been told about: records a server sends at once are
// announced again after the outcome, and once read as the client reads them, so is its close.
TEST_F(SockioTest, TheServersBytesAndCloseAreAnnouncedAfterTheOutcome)
{
    ASSERT_TRUE(StartServer({"hello-close"})) << m_server.Log();
    SK_Connect(m_window, kConnect, kEvent, m_server.Address().c_str(), 2600);
    auto isEvent = [](long event) {
        return [event](const MSG& m) { return m.message == kEvent && WSAGETSELECTEVENT(m.lParam) == event; };
    };
    // However long a loaded machine takes to bring them.
    const std::vector<MSG> seen = Collect(15000, 1000, isEvent(FD_READ));
    auto isOutcome = [](const MSG& m) { return m.message == kConnect; };
    const auto outcome = std::find_if(seen.begin(), seen.end(), isOutcome);
    ASSERT_TRUE(outcome != seen.end());
    EXPECT_EQ(1, std::count_if(seen.begin(), seen.end(), isOutcome));
    EXPECT_TRUE(std::any_of(outcome + 1, seen.end(), isEvent(FD_READ)));
    const SOCKET client = static_cast<SOCKET>(outcome->lParam);
    EXPECT_TRUE(Receive(client, kvxwire::kMaxFrame, [](const PACKET_DATA& packet) { return packet.type == 1070; }));
    const bool closeCame = std::any_of(outcome + 1, seen.end(), isEvent(FD_CLOSE));
    const std::vector<MSG> after = closeCame ? std::vector<MSG>() : Collect(15000, 1000, isEvent(FD_CLOSE));
    EXPECT_TRUE(closeCame || std::any_of(after.begin(), after.end(), isEvent(FD_CLOSE)));
    EXPECT_FALSE(std::any_of(after.begin(), after.end(), isOutcome));
    closesocket(client);
}

// The session's socket is non-blocking; records that do not fit the send buffer at once must
// still go out whole once the peer reads again. Frames too long, without a socket or on an
// earlier connection do not go at all.
TEST_F(SockioTest, PacketsGoOutWholeEvenPastAFullSendBuffer)
{
    ASSERT_TRUE(StartServer({"slow-reader"})) << m_server.Log();
    const SOCKET earlier = Connect();
    closesocket(earlier);
    m_server.Stop();
    ASSERT_TRUE(StartServer({"slow-reader"})) << m_server.Log();
    const SOCKET client = Connect();
    const std::string longest(kvxwire::kMaxPayload, 'L');
    const std::tuple<UINT_PTR, const char*, int> refused[] = {
        {0, "", 0},           {~UINT_PTR(0), "", 0}, {client, longest.data(), kMax + 1},
        {client, nullptr, 1}, {client, "", -1},      {earlier, "", 0}};
    for (const auto& [socket, data, length] : refused) EXPECT_FALSE(SK_WPacket(socket, 1, data, length)) << length;
    const int small = 65536;
    setsockopt(client, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof small);
    int sent = 0;
    for (int i = 0; i < 1500; ++i) sent += SK_WPacket(client, static_cast<WORD>(i), longest.data(), kMax);
    sent += SK_WPacket(client, 1061, nullptr, 0);
    EXPECT_EQ(1501, sent);
    EXPECT_TRUE(Receive(client, kvxwire::kMaxFrame, [](const PACKET_DATA& packet) { return packet.type == 1062; }))
        << "every record opened on the server, up to the last frame";
    closesocket(client);
}

// Whole packets come out of SK_Parse however TLS records and the client's reads cut them.
TEST_F(SockioTest, ParseTakesWholePacketsOutOfRecordsHoweverTheReadsCutThem)
{
    std::vector<std::pair<WORD, size_t>> expected = {{1070, 0}, {1080, 300}, {1, 2044}, {1020, 4}};
    expected.insert(expected.end(), 20, {1090, 100});
    ASSERT_TRUE(StartServer({"frames"})) << m_server.Log(); // a connection for each way to cut
    for (int chunk : {7, 2048}) {
        SCOPED_TRACE(chunk);
        const SOCKET client = Connect();
        const uint32_t build = BUILD_NUMBER;
        ASSERT_TRUE(SK_WPacket(client, PKT_VERSION, &build, sizeof build));
        std::vector<std::pair<WORD, size_t>> got;
        Receive(client, chunk, [&](const PACKET_DATA& packet) {
            got.push_back({packet.type, packet.length});
            return got.size() == expected.size();
        });
        EXPECT_EQ(expected, got);
        closesocket(client);
    }
}

// With no connection ever made the bytes are frames as they stand: the edges of the buffer.
TEST(Parse, ABrokenLengthEndsTheStreamAndReadsCountOnlyUpToTheBuffersEnd)
{
    char buffer[kvxwire::kMaxFrame];
    PACKET_DATA packet;
    // A length past the largest frame can never complete: the stream is broken.
    memcpy(buffer, "\x01\x00\xfd\x07", 4);
    int fill = 0;
    EXPECT_FALSE(SK_Parse(buffer, &fill, 4, &packet));
    EXPECT_EQ(SK_STREAM_BROKEN, fill);
    // More new bytes than the buffer has room for count only up to its end; a failed read adds none.
    memcpy(buffer, Frame(7, std::string(100, 'y')).data(), 104);
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
    closesocket(holder);
    ASSERT_EQ(0, SK_StartPingServer(m_window)) << "a failed start leaves nothing behind";
    EXPECT_EQ(0, SK_StartPingServer(m_window)) << "the listeners' one start: twice is harmless";
    SOCKET udp = Dial(SOCK_DGRAM, SK_PING_PORT);
    for (const std::string& datagram :
         {std::string("not a frame"), Frame(SK_PEER_PONG, "t=1"), Frame(SK_PEER_PING, "t=42")})
        send(udp, datagram.data(), static_cast<int>(datagram.size()), 0);
    char reply[64];
    const int n = recv(udp, reply, sizeof reply, 0);
    EXPECT_EQ(Frame(SK_PEER_PONG, "t=42"), std::string(reply, n > 0 ? n : 0)) << "only the ping is answered";
    closesocket(udp);
    SK_StopPingServer();
    SK_StopPingServer(); // the listeners' one stop: twice is harmless
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
}

} // namespace
