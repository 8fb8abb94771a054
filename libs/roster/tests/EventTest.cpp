// Events as the user meets them: a message kept on disk, acknowledged, blinking in the tray,
// opened in a message window with Reply, logged, and still there after a restart.
#include <gtest/gtest.h>

#include <string.h>

#include "RosterBench.h"
#include "roster/roster.h"
#include "wire/Packets.h"

namespace {

MessageRecord Message(std::uint32_t id, std::int32_t from, const char* nickname, const char* text)
{
    MessageRecord record = {};
    record.messageId = id;
    record.from = from;
    record.sentAt = 1700000000;
    lstrcpynA(record.nickname, nickname, sizeof record.nickname);
    lstrcpynA(record.text, text, sizeof record.text);
    return record;
}

std::uint32_t AckedId(const PACKET_DATA& packet)
{
    EventAckRecord ack = {};
    memcpy(&ack, packet.payload, sizeof ack);
    return ack.eventId;
}

struct Pending {
    bool pending;
    std::string icon;
    std::string text;
};

Pending Blink()
{
    char icon[100] = "";
    char text[300] = "";
    const bool pending = RL_EventIcon(1, icon, text) != FALSE;
    return {pending, icon, text};
}

class EventTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_bench.LogIn();
        PACKET_DATA packet;
        ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACTS_REQUEST, &packet));
        RosterBench::Contact(21, "Sniper", 300);
        RosterBench::ListEnd();
    }

    void Receive(const MessageRecord& record)
    {
        RosterBench::Event(EVENT_MESSAGE, &record, sizeof record, record.from);
    }

    RosterBench m_bench;
};

TEST_F(EventTest, AMessageIsKeptAcknowledgedAndAnnounced)
{
    EXPECT_FALSE(Blink().pending);
    Receive(Message(501, 21, "Sniper", "gg, rematch?"));
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_EVENT_ACK, &packet));
    EXPECT_EQ(501u, AckedId(packet));
    EXPECT_TRUE(m_bench.Folder().Exists("Data\\events.dat")) << "kept before it was acknowledged";

    const Pending pending = Blink();
    EXPECT_TRUE(pending.pending);
    EXPECT_EQ("Msg", pending.icon);
    EXPECT_EQ("Message from Sniper", pending.text);

    const std::string log = m_bench.Folder().Read("Logs\\1000.txt");
    EXPECT_NE(std::string::npos, log.find("From Sniper (KVX# 21):")) << log;
    EXPECT_NE(std::string::npos, log.find("gg, rematch?")) << log;

    // Sent again by the server (our acknowledgement crossed it): acknowledged, not doubled.
    Receive(Message(501, 21, "Sniper", "gg, rematch?"));
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_EVENT_ACK, &packet));
    EXPECT_TRUE(RL_DoNextEvent());
    EXPECT_FALSE(RL_DoNextEvent()) << "queued once";
    EXPECT_EQ(log, m_bench.Folder().Read("Logs\\1000.txt")) << "logged once";
}

TEST_F(EventTest, EventsOpenOldestFirstInAMessageWindowWithReply)
{
    Receive(Message(601, 21, "Sniper", "first"));
    Receive(Message(602, 33, "Rocket", "second\nline two"));
    EXPECT_EQ("Message from Sniper", Blink().text);

    ASSERT_TRUE(RL_DoNextEvent());
    HWND note = WaitForWindow("KVXNote");
    ASSERT_TRUE(note != nullptr);
    EXPECT_EQ("Message from Sniper", TextOf(note));
    EXPECT_EQ("first", TextOf(GetDlgItem(note, 101)));
    EXPECT_EQ("Reply", TextOf(GetDlgItem(note, IDOK)));
    EXPECT_NE(std::string::npos, TextOf(GetDlgItem(note, 100)).find("Sniper (KVX# 21)"));
    EXPECT_EQ("Message from Rocket", Blink().text);

    // Reply: a new window to the sender, ready to write.
    SendMessageA(note, WM_COMMAND, IDOK, 0);
    HWND reply = WaitForWindow("KVXNote", "Message to Sniper");
    ASSERT_TRUE(reply != nullptr);
    EXPECT_FALSE(IsWindow(note));
    EXPECT_EQ("", TextOf(GetDlgItem(reply, 101)));
    EXPECT_EQ("Send", TextOf(GetDlgItem(reply, IDOK)));
    DestroyWindow(reply);

    ASSERT_TRUE(RL_DoNextEvent());
    note = WaitForWindow("KVXNote", "Message from Rocket");
    ASSERT_TRUE(note != nullptr);
    EXPECT_EQ("second\r\nline two", TextOf(GetDlgItem(note, 101)));
    EXPECT_FALSE(RL_DoNextEvent());
    EXPECT_FALSE(Blink().pending);
}

TEST_F(EventTest, UnreadEventsComeBackAfterARestart)
{
    Receive(Message(701, 21, "Sniper", "are you there?"));
    ContactRecord adder = {};
    adder.account = 44;
    adder.eventId = 702;
    adder.addFlag = 1;
    lstrcpynA(adder.nickname, "Admirer", sizeof adder.nickname);
    RosterBench::Event(EVENT_ADDED_YOU, &adder, sizeof adder, 44);

    RL_Init(m_bench.Bar());
    EXPECT_EQ("Message from Sniper", Blink().text);
    ASSERT_TRUE(RL_DoNextEvent());
    HWND note = WaitForWindow("KVXNote");
    ASSERT_TRUE(note != nullptr);
    EXPECT_EQ("are you there?", TextOf(GetDlgItem(note, 101)));

    const Pending added = Blink();
    EXPECT_EQ("Add", added.icon);
    EXPECT_EQ("Admirer added you", added.text);
    ASSERT_TRUE(RL_DoNextEvent());
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Added You") != nullptr);

    // What was opened does not come back.
    RL_Init(m_bench.Bar());
    EXPECT_FALSE(Blink().pending);
    EXPECT_FALSE(RL_DoNextEvent());
}

TEST_F(EventTest, NewsAndChatLinesReachTheUser)
{
    const char news[] = "Server maintenance at midnight.";
    RosterBench::Event(EVENT_NEWS, news, sizeof news);
    HWND first = WaitForWindow("KVXInfo", "KVX News");
    EXPECT_TRUE(first != nullptr);
    const char later[] = "Maintenance moved to one o'clock.";
    RosterBench::Event(EVENT_NEWS, later, sizeof later);
    EXPECT_FALSE(IsWindow(first)) << "newer news replaces the window";
    EXPECT_TRUE(FindWindowA("KVXInfo", "KVX News") != nullptr);

    ChatLineRecord line = {};
    line.to = RosterBench::kAccount;
    line.from = 21;
    lstrcpynA(line.text, "incoming!", sizeof line.text);
    RosterBench::Event(EVENT_CHAT, &line, sizeof line, 21);
    HWND chat = WaitForWindow("KVXChat", "Chat with Sniper");
    ASSERT_TRUE(chat != nullptr);
    EXPECT_EQ("Sniper: incoming!", TextOf(GetDlgItem(chat, 100)));

    lstrcpynA(line.text, "second", sizeof line.text);
    RosterBench::Event(EVENT_CHAT, &line, sizeof line, 21);
    EXPECT_EQ("Sniper: incoming!\r\nSniper: second", TextOf(GetDlgItem(chat, 100)));
    EXPECT_EQ(chat, FindWindowA("KVXChat", nullptr)) << "one window per contact";

    // Strangers flooding lines open only so many windows.
    for (std::int32_t from = 1000; from < 1020; ++from) {
        line.from = from;
        RosterBench::Event(EVENT_CHAT, &line, sizeof line, from);
    }
    int open = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, "KVXChat", nullptr); w; w = FindWindowExA(nullptr, w, "KVXChat", nullptr))
        ++open;
    EXPECT_EQ(8, open);
}

} // namespace
