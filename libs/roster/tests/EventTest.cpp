// Events as the user meets them: a message kept on disk before it is acknowledged, blinking in
// the tray, opened oldest first, logged, still there after a restart; news and chat lines.
#include <tuple>

#include "RosterFixture.h"

namespace {

class EventTest : public RosterFixture {
protected:
    EventTest() { LogIn({Entry(21, "Sniper", 300)}); }

    static void Message(std::uint32_t id, const char* nickname, const char* text)
    {
        MessageRecord record = {id, 21, 1700000000, {}, {}};
        lstrcpynA(record.nickname, nickname, sizeof record.nickname);
        lstrcpynA(record.text, text, sizeof record.text);
        Event(EVENT_MESSAGE, &record, sizeof record);
    }
};

// A message is acknowledged only once it is on disk, logged and queued once however often the
// server sends it; events open oldest first, and those not opened yet survive a restart.
TEST_F(EventTest, AMessageIsAcknowledgedOnlyOnceOnDiskAndEventsOpenOldestFirstAcrossRestarts)
{
    CreateDirectoryA("Data", nullptr);
    ASSERT_TRUE(CreateDirectoryA("Data\\events.dat.new", nullptr))
        << "where the file's replacement goes: no save works";
    Message(601, "Sniper", "first");
    EXPECT_TRUE(bar.Quiet(300)) << "not kept, so not acknowledged";
    EXPECT_EQ("Msg: Message from Sniper", Blink());
    RemoveDirectoryA("Data\\events.dat.new");
    for (int again = 0; again < 2; ++again) {
        Message(601, "Sniper", "first"); // the server sends it until it is acknowledged
        EXPECT_EQ(601, About(PKT_EVENT_ACK));
    }
    const std::string log = folder.Read("Logs\\1000.txt");
    const size_t at = log.find("From Sniper (KVX# 21):\r\n  first");
    EXPECT_TRUE(at != std::string::npos && at == log.rfind("From Sniper")) << "logged once: " << log;
    ContactRecord admirer = Entry(44, "Admirer", 300, 1);
    admirer.eventId = 602;
    Send(EVENT_ADDED_YOU, admirer);
    Message(603, "Rocket", "second\nline two");
    const std::tuple<const char*, const char*, const char*, const char*> events[] = {
        {"Msg: Message from Sniper", "KVXNote", "Message from Sniper", "first"},
        {"Add: Admirer added you", "KVXInfo", "Added You", nullptr},
        {"Msg: Message from Rocket", "KVXNote", "Message from Rocket", "second\r\nline two"}};
    for (const auto& [blink, cls, title, text] : events) {
        EXPECT_EQ(blink, Blink());
        ASSERT_TRUE(RL_DoNextEvent());
        const HWND window = WaitForWindow(cls, title);
        EXPECT_TRUE(window && (!text || DialogItemText(window, 101) == text)) << title;
        RL_Init(bar.Handle()); // a restart
    }
    EXPECT_TRUE(Blink().empty() && !RL_DoNextEvent()) << "each came once; what was opened does not come back";
}

TEST_F(EventTest, NewerNewsReplacesTheNewsWindowAndChatLinesOpenAtMostEightWindows)
{
    const char first[] = "Maintenance at midnight.", later[] = "Maintenance moved to one o'clock.";
    Event(EVENT_NEWS, first, sizeof first);
    HWND news = WaitForWindow("KVXInfo", "KVX News");
    Event(EVENT_NEWS, later, sizeof later);
    EXPECT_TRUE(news && !IsWindow(news) && FindWindowA("KVXInfo", "KVX News")) << "newer news replaces the window";
    ChatLineRecord line = {kAccount, 21, "incoming!"};
    for (std::int32_t from : {21, 21, 1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007}) {
        line.from = from;
        Event(EVENT_CHAT, &line, sizeof line);
    }
    EXPECT_EQ("Sniper: incoming!\r\nSniper: incoming!",
              DialogItemText(WaitForWindow("KVXChat", "Chat with Sniper"), 100));
    EXPECT_EQ(8u, VisibleWindows(GetCurrentProcessId(), "KVXChat").size())
        << "one window per contact; the eighth opens, the ninth does not";
}

} // namespace
