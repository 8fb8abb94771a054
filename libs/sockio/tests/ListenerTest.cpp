// The ping and event listeners, reached the way other users' clients reach them.
#include "SockioFixture.h"

#include <utility>

#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

TEST_F(SockioTest, ThePingListenerAnswersPingsOnlyAndReportsABusyPort)
{
    SOCKET holder = Dial(SOCK_DGRAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(SK_PING_PORT);
    ASSERT_EQ(0, bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address)) << "the ping port is taken";
    EXPECT_EQ(WSAEADDRINUSE, SK_StartPingServer(m_window));
    SK_StopPingServer();
    closesocket(holder);

    ASSERT_EQ(0, SK_StartPingServer(m_window)) << "a failed start leaves nothing behind";
    EXPECT_EQ(0, SK_StartPingServer(m_window)) << "starting twice is harmless";
    SOCKET udp = Dial(SOCK_DGRAM, SK_PING_PORT);
    for (const std::string& datagram : {std::string("not a frame"), Frame(SK_PEER_PONG, "t=1"), Frame(SK_PEER_PING, "t=42")})
        send(udp, datagram.data(), static_cast<int>(datagram.size()), 0);
    char reply[64];
    const int n = recv(udp, reply, sizeof reply, 0);
    EXPECT_EQ(Frame(SK_PEER_PONG, "t=42"), std::string(reply, n > 0 ? n : 0)) << "only the ping is answered";
    closesocket(udp);
    SK_StopPingServer();
    SK_StopPingServer();
}

// An event payload: head (kind, data length, sender), 4 unread bytes, then the data.
std::string Event(WORD kind, int32_t from, const std::string& data, size_t claimed)
{
    std::string event(kEventDataOffset, '\0');
    kvxwire::WriteU16(reinterpret_cast<uint8_t*>(&event[0]), kind);
    kvxwire::WriteU16(reinterpret_cast<uint8_t*>(&event[2]), static_cast<uint16_t>(claimed));
    kvxwire::WriteU32(reinterpret_cast<uint8_t*>(&event[4]), static_cast<uint32_t>(from));
    return Frame(PKT_NEW_EVENT, event + data);
}
std::string Event(WORD kind, int32_t from, const std::string& data) { return Event(kind, from, data, data.size()); }

TEST_F(SockioTest, TheEventListenerTellsTheBarOfEachEventAcknowledgesItAndDropsOtherPeers)
{
    ASSERT_EQ(0, SK_StartEventServer(m_window));
    EXPECT_EQ(0, SK_StartEventServer(m_window)) << "starting twice is harmless";
    // Two events in one send, the largest one split over two sends.
    SOCKET peer = Dial(SOCK_STREAM, SK_EVENT_PORT);
    const std::string two = Event(7, 4711, "abc") + Event(8, 12, "");
    const std::string third = Event(9, 99, std::string(kMaxEventData, 'd'));
    send(peer, two.data(), static_cast<int>(two.size()), 0);
    send(peer, third.data(), 10, 0);
    Sleep(150);
    send(peer, third.data() + 10, static_cast<int>(third.size() - 10), 0);
    const std::string ack = Frame(SK_PEER_EVENT_ACK);
    EXPECT_EQ(ack + ack + ack, ReadUpTo(peer, 3 * ack.size()));
    closesocket(peer);
    const UINT notice = RegisterWindowMessageA(SK_PEER_EVENT_MESSAGE);
    std::vector<std::pair<WPARAM, LPARAM>> told;
    for (const DWORD end = GetTickCount() + 1000; told.size() < 3 && GetTickCount() < end; Sleep(5)) {
        MSG msg;
        while (PeekMessageA(&msg, m_window, notice, notice, PM_REMOVE)) told.push_back({msg.wParam, msg.lParam});
    }
    EXPECT_EQ((std::vector<std::pair<WPARAM, LPARAM>>{{7, 4711}, {8, 12}, {9, 99}}), told);

    const std::pair<const char*, std::string> rude[] = {
        {"another packet type", Frame(PKT_LOGIN, std::string(16, 'x'))},
        {"an event shorter than its head", Frame(PKT_NEW_EVENT, std::string(kEventDataOffset - 1, '\0'))},
        {"an event claiming more data than it has", Event(1, 1, "abc", 4)},
        {"data past what an event record holds", Event(1, 1, std::string(kMaxEventData + 1, 'd'))},
        {"a frame longer than any can be", std::string("\x32\x05\xfd\x07", 4)},
    };
    char reply[16];
    for (const auto& r : rude) {
        SOCKET s = Dial(SOCK_STREAM, SK_EVENT_PORT);
        send(s, r.second.data(), static_cast<int>(r.second.size()), 0);
        EXPECT_EQ(0, recv(s, reply, sizeof reply, 0)) << r.first;
        closesocket(s);
    }

    SOCKET quiet = Dial(SOCK_STREAM, SK_EVENT_PORT);
    Sleep(150); // accepted
    SK_StopEventServer();
    const int got = recv(quiet, reply, sizeof reply, 0);
    EXPECT_TRUE(got == 0 || (got < 0 && WSAGetLastError() == WSAECONNRESET)) << "stopping closes every peer";
    closesocket(quiet);
    EXPECT_EQ(INVALID_SOCKET, Dial(SOCK_STREAM, SK_EVENT_PORT)) << "nobody listens after Stop";
    SK_StopEventServer();
}

} // namespace
