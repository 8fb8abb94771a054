// Message windows through the real DLL: Send writes on the socket the bar names and logs the
// message in Logs\<KVX#>.txt, a received message offers Reply, and Comm Log picks one contact's
// messages out of the log (the contact menu's test opens its window).
#include <gtest/gtest.h>

#include <tuple>

#include "CommLog.h"
#include "notepost/notepost.h"
#include "support/InFolder.h"
#include "support/StandInBar.h"
#include "support/WindowDriver.h"
#include "wire/Contacts.h"

namespace {

const LONG kAccount = 1000;
enum { kPeer = 100, kText = 101, kStatus = 102 };

class NoteTest : public InScratchFolder {
protected:
    ~NoteTest() override { CloseWindows("KVXNote"); }
    HWND Open(LONG to)
    {
        USER_INFO_STRUCT user = {};
        user.accountNumber = to;
        lstrcpynA(user.nickname, "Scout", sizeof user.nickname);
        NP_Send(user, 100, kAccount, bar.Handle());
        return FindWindowA("KVXNote", to ? "Message to Scout" : "New Message");
    }
    StandInBar bar;
};

TEST_F(NoteTest, SendWritesOnTheBarsSocketAndIntoTheLogOrSaysWhyNot)
{
    // To (0: typed), the KVX# typed, online, the text typed; then why it was not sent, or the log's
    // new block. Typing stops at the longest text a message holds, which goes out whole.
    const std::string longest(kMessageField - 1, 'a');
    const std::tuple<LONG, const char*, bool, std::string, std::string> cases[] = {
        {41, "", true, "", "Write something"},
        {0, "", true, "hi", "Type the KVX#"},
        {0, "777", false, "hi", "not connected"},
        {41, "", true, "Meet at the\r\nrail room", " To Scout (KVX# 41):\r\n  Meet at the\n  rail room\r\n\r\n"},
        {0, "777", true, "hi", " To KVX# 777 (KVX# 777):\r\n  hi\r\n\r\n"},
        {41, "", true, longest + "a", " To Scout (KVX# 41):\r\n  " + longest + "\r\n\r\n"},
    };
    for (const auto& [to, typed, online, text, result] : cases) {
        HWND note = Open(to);
        EXPECT_EQ(to != 0, (GetWindowLongA(GetDlgItem(note, kPeer), GWL_STYLE) & ES_READONLY) != 0);
        SetDlgItemTextA(note, kPeer, typed);
        SendDlgItemMessageA(note, kText, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        EXPECT_EQ(text.substr(0, longest.size()), DialogItemText(note, kText)) << "typing stops at the longest";
        bar.online = online;
        SendMessageA(note, WM_COMMAND, IDOK, 0);
        if (IsWindow(note)) { // not sent: says why and loses nothing
            EXPECT_TRUE(DialogItemText(note, kStatus).find(result) != std::string::npos &&
                        DialogItemText(note, kText) == text);
            EXPECT_TRUE(bar.Quiet(50));
            DestroyWindow(note);
            continue;
        }
        PACKET_DATA packet;
        ASSERT_TRUE(bar.Next(PKT_MESSAGE_SEND, &packet));
        EXPECT_EQ(to ? to : 777, Payload<MessageSendRecord>(packet).to);
        EXPECT_EQ(text.substr(0, longest.size()), FieldText(Payload<MessageSendRecord>(packet).text));
        EXPECT_NE(std::string::npos, folder.Read("Logs\\1000.txt").find(result)) << result;
    }
}

TEST_F(NoteTest, AReceivedMessageOffersReplyAndTheLogKeepsEachContactApart)
{
    NP_Show(21, "Sniper", 1700000000, "first\nline", kAccount, bar.Handle());
    HWND note = FindWindowA("KVXNote", "Message from Sniper");
    EXPECT_EQ("first\r\nline", DialogItemText(note, kText));
    EXPECT_EQ(0u, DialogItemText(note, kPeer).find("Sniper (KVX# 21), 2023-11-1")) << "who and when";
    SendMessageA(note, WM_COMMAND, IDOK, 0); // Reply
    HWND reply = FindWindowA("KVXNote", "Message to Sniper");
    EXPECT_TRUE(!IsWindow(note) && DialogItemText(reply, kText).empty() && DialogItemText(reply, IDOK) == "Send");

    for (const auto& [with, received, text] :
         {std::make_tuple(4, TRUE, "a\r\n\r\nb"), std::make_tuple(41, FALSE, "to 41"),
          std::make_tuple(14, TRUE, "from 14"), std::make_tuple(4, FALSE, "back")})
        NP_Log(kAccount, with, "Name", received, 1700000000, text);
    const std::string four = CCommLog(kAccount).With(4);
    EXPECT_NE(std::string::npos, four.find("From Name (KVX# 4):\r\n  a\n  \n  b\r\n\r\n")) << four;
    EXPECT_NE(std::string::npos, four.find("To Name (KVX# 4):\r\n  back\r\n\r\n")) << four;
    EXPECT_TRUE(four.find("(KVX# 41)") == std::string::npos && four.find("(KVX# 14)") == std::string::npos) << four;
    EXPECT_EQ("", CCommLog(kAccount).With(1));
}

} // namespace
