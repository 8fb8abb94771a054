// Events as the user meets them: a message kept on disk before it is acknowledged, blinking
// in the tray, opened oldest first, logged, still there after a restart; news and chat.
#include <gtest/gtest.h>

#include "RosterFixture.h"

namespace {

class EventTest : public RosterFixture {
protected:
    EventTest() { LogIn({Entry(21, "Sniper", 300)}); }

    static void Message(std::uint32_t id, std::int32_t from, const char* nickname, const char* text)
    {
        MessageRecord record = {id, from, 1700000000, {}, {}};
        lstrcpynA(record.nickname, nickname, sizeof record.nickname);
        lstrcpynA(record.text, text, sizeof record.text);
        Event(EVENT_MESSAGE, &record, sizeof record, from);
    }
    // What the tray blinks: the icon's name and the tip, or "" when nothing is pending.
    static std::string Blink()
    {
        char icon[100] = "", text[300] = "";
        return RL_EventIcon(1, icon, text) ? std::string(icon) + ": " + text : std::string();
    }
    std::uint32_t Acknowledged(DWORD ms = 3000)
    {
        PACKET_DATA packet;
        return bar.Next(PKT_EVENT_ACK, &packet, ms) ? Payload<EventAckRecord>(packet).eventId : 0;
    }
};

TEST_F(EventTest, AMessageIsAcknowledgedOnlyOnceItIsOnDiskAndLoggedOnce)
{
    // A folder where the file's replacement must go makes every save fail.
    CreateDirectoryA("Data", nullptr);
    ASSERT_TRUE(CreateDirectoryA("Data\\events.dat.new", nullptr));
    Message(501, 21, "Sniper", "gg, rematch?");
    EXPECT_EQ(0u, Acknowledged(300)) << "not kept, so not acknowledged";
    EXPECT_EQ("Msg: Message from Sniper", Blink());

    RemoveDirectoryA("Data\\events.dat.new");
    Message(501, 21, "Sniper", "gg, rematch?"); // the server sends it again
    EXPECT_EQ(501u, Acknowledged());
    EXPECT_TRUE(folder.Exists("Data\\events.dat"));
    const std::string log = folder.Read("Logs\\1000.txt");
    EXPECT_NE(std::string::npos, log.find("From Sniper (KVX# 21):\r\n  gg, rematch?")) << log;
    Message(501, 21, "Sniper", "gg, rematch?");
    EXPECT_EQ(501u, Acknowledged());
    EXPECT_EQ(log, folder.Read("Logs\\1000.txt")) << "logged once";
    EXPECT_TRUE(RL_DoNextEvent());
    EXPECT_FALSE(RL_DoNextEvent()) << "queued once";
}

TEST_F(EventTest, EventsOpenOldestFirstAndTheUnopenedOnesSurviveARestart)
{
    Message(601, 21, "Sniper", "first");
    ContactRecord admirer = Entry(44, "Admirer", 300);
    admirer.eventId = 602;
    admirer.addFlag = 1;
    Send(EVENT_ADDED_YOU, admirer);
    Message(603, 33, "Rocket", "second\nline two");
    ASSERT_TRUE(RL_DoNextEvent());
    HWND note = WaitForWindow("KVXNote", "Message from Sniper");
    ASSERT_TRUE(note != nullptr);
    EXPECT_EQ("first", TextOf(GetDlgItem(note, 101)));

    RL_Init(bar.Handle());
    EXPECT_EQ("Add: Admirer added you", Blink());
    ASSERT_TRUE(RL_DoNextEvent());
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Added You") != nullptr);
    EXPECT_EQ("Msg: Message from Rocket", Blink());
    ASSERT_TRUE(RL_DoNextEvent());
    note = WaitForWindow("KVXNote", "Message from Rocket");
    ASSERT_TRUE(note != nullptr);
    EXPECT_EQ("second\r\nline two", TextOf(GetDlgItem(note, 101)));
    EXPECT_EQ("", Blink());
    RL_Init(bar.Handle());
    EXPECT_FALSE(RL_DoNextEvent()) << "what was opened does not come back";
}

TEST_F(EventTest, NewerNewsReplacesTheNewsWindowAndChatLinesOpenAtMostEightWindows)
{
    const char first[] = "Maintenance at midnight.", later[] = "Maintenance moved to one o'clock.";
    Event(EVENT_NEWS, first, sizeof first);
    HWND news = WaitForWindow("KVXInfo", "KVX News");
    ASSERT_TRUE(news != nullptr);
    Event(EVENT_NEWS, later, sizeof later);
    EXPECT_FALSE(IsWindow(news)) << "newer news replaces the window";
    EXPECT_NE(nullptr, FindWindowA("KVXInfo", "KVX News"));

    ChatLineRecord line = {kAccount, 21, "incoming!"};
    Event(EVENT_CHAT, &line, sizeof line, 21);
    lstrcpynA(line.text, "second", sizeof line.text);
    Event(EVENT_CHAT, &line, sizeof line, 21);
    HWND chat = WaitForWindow("KVXChat", "Chat with Sniper");
    ASSERT_TRUE(chat != nullptr);
    EXPECT_EQ("Sniper: incoming!\r\nSniper: second", TextOf(GetDlgItem(chat, 100))) << "one window per contact";
    for (line.from = 1000; line.from < 1010; ++line.from) Event(EVENT_CHAT, &line, sizeof line, line.from);
    int open = 0;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "KVXChat", nullptr)) != nullptr;) ++open;
    EXPECT_EQ(8, open) << "the eighth opens, the ninth does not";
}

} // namespace
