// Message windows through the real DLL: Send writes on the socket the bar names and logs the
// message in Logs\<KVX#>.txt, a received message offers Reply, and Comm Log picks one contact's
// messages out of the log.
#include <gtest/gtest.h>

#include "CommLog.h"
#include "notepost/notepost.h"
#include "support/InFolder.h"
#include "support/StandInBar.h"
#include "wire/Contacts.h"

namespace {

const LONG kAccount = 1000;
enum { kPeer = 100, kText = 101, kStatus = 102 };

class NoteTest : public InScratchFolder {
protected:
    ~NoteTest() override
    {
        for (const char* cls : {"KVXNote", "KVXInfo"})
            while (HWND window = FindWindowA(cls, nullptr)) DestroyWindow(window);
    }
    static std::string Text(HWND window, int id = 0)
    {
        char text[2048] = "";
        GetWindowTextA(id ? GetDlgItem(window, id) : window, text, sizeof text);
        return text;
    }
    StandInBar bar;
};

TEST_F(NoteTest, SendWritesOnTheBarsSocketAndLogsOrSaysWhyNot)
{
    const std::string longest(kMessageField - 1, 'a');
    const struct {
        LONG to;       // 0: typed into the window
        const char* typed;
        bool online;
        std::string text;
        const char* said;   // why it was not sent, or
        const char* logged; // the log's block once sent
    } cases[] = {
        {41, "", true, "", "Write something", nullptr},
        {0, "", true, "hi", "Type the KVX#", nullptr},
        {0, "777", false, "hi", "not connected", nullptr},
        {41, "", true, "Meet at the\r\nrail room", nullptr, " To Scout (KVX# 41):\r\n  Meet at the\n  rail room\r\n\r\n"},
        {0, "777", true, "hi", nullptr, " To KVX# 777 (KVX# 777):\r\n  hi\r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        USER_INFO_STRUCT user = {};
        user.accountNumber = c.to;
        lstrcpynA(user.nickname, "Scout", sizeof user.nickname);
        NP_Send(user, 100, kAccount, bar.Handle());
        HWND note = FindWindowA("KVXNote", c.to ? "Message to Scout" : "New Message");
        ASSERT_TRUE(note != nullptr);
        EXPECT_EQ(c.to != 0, (GetWindowLongA(GetDlgItem(note, kPeer), GWL_STYLE) & ES_READONLY) != 0);
        SetWindowTextA(GetDlgItem(note, kPeer), c.typed);
        SetWindowTextA(GetDlgItem(note, kText), c.text.c_str());
        bar.online = c.online;
        SendMessageA(note, WM_COMMAND, IDOK, 0);
        PACKET_DATA packet;
        if (c.said) {
            EXPECT_NE(std::string::npos, Text(note, kStatus).find(c.said));
            EXPECT_EQ(c.text, Text(note, kText)) << "nothing lost";
            EXPECT_TRUE(bar.Quiet(50));
            DestroyWindow(note);
            continue;
        }
        ASSERT_TRUE(bar.Next(PKT_MESSAGE_SEND, &packet));
        EXPECT_EQ(c.to ? c.to : 777, Payload<MessageSendRecord>(packet).to);
        EXPECT_EQ(c.text, FieldText(Payload<MessageSendRecord>(packet).text));
        EXPECT_FALSE(IsWindow(note)) << "closed once sent";
        EXPECT_NE(std::string::npos, folder.Read("Logs\\1000.txt").find(c.logged));
    }

    // Typing stops at the longest text a message holds, which goes out whole.
    USER_INFO_STRUCT scout = {};
    scout.accountNumber = 41;
    NP_Send(scout, 100, kAccount, bar.Handle());
    HWND text = GetDlgItem(FindWindowA("KVXNote", nullptr), kText);
    SendMessageA(text, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>((longest + "a").c_str()));
    EXPECT_EQ(longest, Text(text));
    SendMessageA(GetParent(text), WM_COMMAND, IDOK, 0);
    PACKET_DATA packet;
    ASSERT_TRUE(bar.Next(PKT_MESSAGE_SEND, &packet));
    EXPECT_EQ(longest, FieldText(Payload<MessageSendRecord>(packet).text));
}

TEST_F(NoteTest, AReceivedMessageOffersReplyAndTheLogKeepsEachContactApart)
{
    NP_Show(21, "Sniper", 1700000000, "first\nline", kAccount, bar.Handle());
    HWND note = FindWindowA("KVXNote", "Message from Sniper");
    ASSERT_TRUE(note != nullptr);
    EXPECT_EQ("first\r\nline", Text(note, kText));
    EXPECT_EQ(0u, Text(note, kPeer).find("Sniper (KVX# 21), 2023-11-1"));
    SendMessageA(note, WM_COMMAND, IDOK, 0); // Reply
    HWND reply = FindWindowA("KVXNote", "Message to Sniper");
    ASSERT_TRUE(reply != nullptr);
    EXPECT_FALSE(IsWindow(note));
    EXPECT_EQ("", Text(reply, kText));
    EXPECT_EQ("Send", Text(reply, IDOK));

    const struct {
        LONG with;
        BOOL received;
        const char* text;
    } messages[] = {{4, TRUE, "a\r\n\r\nb"}, {41, FALSE, "to 41"}, {14, TRUE, "from 14"}, {4, FALSE, "back to 4"}};
    for (const auto& m : messages) NP_Log(kAccount, m.with, "Name", m.received, 1700000000, m.text);
    const std::string four = CCommLog(kAccount).With(4);
    EXPECT_NE(std::string::npos, four.find("From Name (KVX# 4):\r\n  a\n  \n  b\r\n\r\n")) << four;
    EXPECT_NE(std::string::npos, four.find("To Name (KVX# 4):\r\n  back to 4\r\n\r\n")) << four;
    EXPECT_EQ(std::string::npos, four.find("(KVX# 41)")) << four;
    EXPECT_EQ(std::string::npos, four.find("(KVX# 14)")) << four;
    EXPECT_EQ("", CCommLog(kAccount).With(1));
    NP_ShowLog(kAccount, 4, "Name");
    EXPECT_NE(nullptr, FindWindowA("KVXInfo", "Comm Log: Name"));
}

} // namespace
