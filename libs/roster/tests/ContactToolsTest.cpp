// The contact library's own tools: the away message kept across a restart, the ping thread's
// round trip to the server, contact pings answered and timed, and files offered, fetched and
// refused, against the bench's loopback far end playing the server.
#include <gtest/gtest.h>

#include <string.h>

#include <thread>

#include "RosterBench.h"
#include "support/Wait.h"
#include "roster/RosterIds.h"
#include "roster/roster.h"
#include "wire/Packets.h"

namespace {

// Fills the away dialog when it comes up and presses OK.
std::thread AnswerAway(const char* text)
{
    return std::thread([text] {
        HWND dialog = nullptr;
        for (int i = 0; i < 300 && !dialog; ++i, Sleep(10)) dialog = FindWindowA("#32770", AWAY_CAPTION);
        if (!dialog) return;
        SetDlgItemTextA(dialog, IDC_AWAY_TEXT, text);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
}

template <typename Record> Record PayloadAs(const PACKET_DATA& packet)
{
    Record record = {};
    memcpy(&record, packet.payload, sizeof record);
    return record;
}

// A UDP socket on the address and port of the bench's server end, where the ping thread
// sends its pings.
SOCKET ServerPingSocket(const RosterBench& bench)
{
    sockaddr_in server = {};
    int size = sizeof server;
    getpeername(static_cast<SOCKET>(bench.ClientSocket()), reinterpret_cast<sockaddr*>(&server), &size);
    SOCKET udp = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    bind(udp, reinterpret_cast<sockaddr*>(&server), size);
    return udp;
}

// The next datagram within `ms`, answered as the server answers a ping after `delayMs`;
// false when none came.
bool AnswerPing(SOCKET udp, DWORD ms, DWORD delayMs)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(udp, &readable);
    timeval wait = {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
    if (select(0, &readable, nullptr, nullptr, &wait) != 1) return false;
    char datagram[64];
    sockaddr_in from = {};
    int size = sizeof from;
    const int got = recvfrom(udp, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (got != 12 || *reinterpret_cast<WORD*>(datagram) != PKT_SERVER_PING) return false;
    Sleep(delayMs);
    *reinterpret_cast<WORD*>(datagram) = PKT_SERVER_PONG;
    sendto(udp, datagram, got, 0, reinterpret_cast<sockaddr*>(&from), size);
    return true;
}

// The list's balloon over its first row (empty in these tests), or "" when none came up.
std::string EmptyRowBalloon(const RosterBench& bench)
{
    RL_Hilight(40, bench.Area().top + 8, bench.Area());
    HWND balloon = RL_Balloon();
    const std::string text = balloon ? TextOf(balloon) : std::string();
    if (balloon) DestroyWindow(balloon);
    return text;
}

class ContactToolsTest : public ::testing::Test {
protected:
    void SetUp() override { m_bench.LogIn(); }

    RosterBench m_bench;
};

TEST_F(ContactToolsTest, TheAwayMessageSurvivesARestartOfTheLibrary)
{
    std::thread driver = AnswerAway("gone fishing");
    EXPECT_EQ(10, RL_EditAway(400));
    driver.join();
    RL_Init(m_bench.Bar()); // what the next start of the client does
    m_bench.status = 400;
    m_bench.LogIn();
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_STATUS, &packet));
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_STATUS, &packet)) << "the second status, after the restart";
    EXPECT_EQ("gone fishing", Field(PayloadAs<StatusRecord>(packet).away, kAwayField));
}

TEST_F(ContactToolsTest, ThePingThreadTimesTheServersAnswerAndIsGoneOnceStopped)
{
    SOCKET udp = ServerPingSocket(m_bench);
    EXPECT_EQ("", EmptyRowBalloon(m_bench)) << "nothing measured yet";
    RL_StartPingThread(); // the server is known from the login: measured at once
    ASSERT_TRUE(AnswerPing(udp, 3000, 60));
    std::string shown;
    EXPECT_TRUE(Eventually([&] { return !(shown = EmptyRowBalloon(m_bench)).empty(); }));
    ASSERT_EQ(0u, shown.find("Ping to the KVX server: ")) << shown;
    const int ms = atoi(shown.c_str() + strlen("Ping to the KVX server: "));
    EXPECT_GE(ms, 60);
    EXPECT_LT(ms, 1000);

    RL_StopPingThread();
    RL_RefreshIP(m_bench.ClientSocket()); // would be measured at once by a running thread
    EXPECT_FALSE(AnswerPing(udp, 500, 0)) << "no thread, no ping";
    EXPECT_EQ("", EmptyRowBalloon(m_bench)) << "a stopped thread's figure is not shown";
    closesocket(udp);
}

TEST_F(ContactToolsTest, AContactPingIsTimedOrSaysWhyNotAndOthersPingsAreAnsweredUnseen)
{
    const WORD kPing = 24;
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACTS_REQUEST, &packet));
    RosterBench::Contact(31, "Medic", 300);
    RosterBench::Contact(32, "Olly", 100);
    RosterBench::ListEnd();

    ASSERT_TRUE(m_bench.Click(1));
    RL_RCommand(kPing);
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Olly: offline") != nullptr) << "at once, from the list";
    EXPECT_TRUE(m_bench.Quiet());

    struct Case {
        const char* what;
        WORD answerKind; // 0: no answer at all
        WORD result;
        DWORD delayMs;
        const char* title; // how the window's title starts
    };
    const Case cases[] = {
        {"answered", EVENT_PING_REPLY, PING_ANSWERED, 80, "Medic: "},
        {"offline by the server", EVENT_PING_REPLY, PING_OFFLINE, 0, "Medic: offline"},
        {"unanswered", 0, 0, 0, "Medic: no answer in 5 s"},
    };
    for (const Case& c : cases) {
        CloseAll("KVXInfo");
        ASSERT_TRUE(m_bench.Click(0));
        RL_RCommand(kPing);
        ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACT_PING, &packet)) << c.what;
        PingRecord ping = PayloadAs<PingRecord>(packet);
        EXPECT_EQ(31, ping.to) << c.what;
        Sleep(c.delayMs);
        if (c.answerKind) {
            const PingRecord reply = {RosterBench::kAccount, 31, ping.tag, c.result, 0};
            const PingRecord stale = {RosterBench::kAccount, 31, ping.tag + 100, PING_OFFLINE, 0};
            RosterBench::Event(c.answerKind, &stale, sizeof stale, 31); // not a ping of ours
            RosterBench::Event(c.answerKind, &reply, sizeof reply, 31);
        }
        HWND shown = nullptr;
        WaitFor([&] { return (shown = FindWindowA("KVXInfo", nullptr)) != nullptr; }, 6000);
        ASSERT_TRUE(shown != nullptr) << c.what;
        const std::string title = TextOf(shown);
        EXPECT_EQ(0u, title.find(c.title)) << c.what << ": " << title;
        if (c.delayMs) {
            EXPECT_GE(atoi(title.c_str() + strlen(c.title)), 80) << title;
        }
    }

    CloseAll("KVXInfo");
    const PingRecord incoming = {RosterBench::kAccount, 31, 9, 0, 0};
    RosterBench::Event(EVENT_PING, &incoming, sizeof incoming, 31);
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_PING_REPLY, &packet));
    EXPECT_EQ(31, PayloadAs<PingRecord>(packet).to);
    EXPECT_EQ(9u, PayloadAs<PingRecord>(packet).tag);
    EXPECT_EQ(nullptr, FindWindowA("KVXInfo", nullptr)) << "the user is not disturbed";
}

} // namespace
