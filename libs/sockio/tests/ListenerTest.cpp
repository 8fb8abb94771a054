// The ping and event listeners, reached the way other users' clients reach them.
#include "SockioFixture.h"

#include <string>
#include <utility>
#include <vector>

#include "sockio/sockio.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

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
    if (bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(holder);
        ADD_FAILURE() << "the ping port is taken already";
        return;
    }
    EXPECT_EQ(WSAEADDRINUSE, SK_StartPingServer(m_window));
    SK_StopPingServer();
    closesocket(holder);
    EXPECT_EQ(0, SK_StartPingServer(m_window)) << "a failed start leaves nothing behind";
    SK_StopPingServer();
}

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
