// Message windows as the user writes in them: to a contact from the list, or to a typed
// KVX# (F5 in the bar); Send writes PKT_MESSAGE_SEND on the socket the bar names and logs
// the message, which Comm Log then shows.
#include <gtest/gtest.h>

#include <string.h>

#include "RosterBench.h"
#include "notepost/notepost.h"
#include "roster/roster.h"
#include "wire/Packets.h"

namespace {

const int kPeer = 100;
const int kText = 101;
const int kStatus = 102;

MessageSendRecord Sent(const PACKET_DATA& packet)
{
    MessageSendRecord record = {};
    memcpy(&record, packet.payload, sizeof record);
    return record;
}

class MessageWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_bench.LogIn();
        PACKET_DATA packet;
        ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACTS_REQUEST, &packet));
        RosterBench::Contact(41, "Scout", 300);
        RosterBench::ListEnd();
    }

    RosterBench m_bench;
};

TEST_F(MessageWindowTest, MessageToAContactIsSentLoggedAndShownInTheCommLog)
{
    ASSERT_TRUE(m_bench.Click(0));
    RL_RCommand(22);
    HWND note = WaitForWindow("KVXNote", "Message to Scout");
    ASSERT_TRUE(note != nullptr);
    EXPECT_NE(std::string::npos, TextOf(GetDlgItem(note, kPeer)).find("Scout (KVX# 41)"));
    EXPECT_NE(0, GetWindowLongA(GetDlgItem(note, kPeer), GWL_STYLE) & ES_READONLY);

    SendMessageA(note, WM_COMMAND, IDOK, 0);
    EXPECT_NE(std::string::npos, TextOf(GetDlgItem(note, kStatus)).find("Write something"));
    SetWindowTextA(GetDlgItem(note, kText), "Meet at the\r\nrail room");
    SendMessageA(note, WM_COMMAND, IDOK, 0);
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_MESSAGE_SEND, &packet));
    ASSERT_EQ(sizeof(MessageSendRecord), packet.length);
    const MessageSendRecord sent = Sent(packet);
    EXPECT_EQ(41, sent.to);
    EXPECT_EQ("Meet at the\r\nrail room", Field(sent.text, sizeof sent.text));
    EXPECT_FALSE(IsWindow(note)) << "closed once sent";

    const std::string log = m_bench.Folder().Read("Logs\\1000.txt");
    EXPECT_NE(std::string::npos, log.find("To Scout (KVX# 41):\r\n  Meet at the\n  rail room")) << log;

    ASSERT_TRUE(m_bench.Click(0));
    RL_RCommand(62);
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Comm Log: Scout") != nullptr);
}

TEST_F(MessageWindowTest, DoubleClickOpensAMessageWindowToTheEntry)
{
    ASSERT_TRUE(m_bench.Click(0));
    RL_UserEvent();
    EXPECT_TRUE(WaitForWindow("KVXNote", "Message to Scout") != nullptr);
    CloseAll("KVXNote");

    // A double click on no entry opens nothing.
    EXPECT_FALSE(m_bench.Click(5));
    RL_UserEvent();
    EXPECT_EQ(nullptr, FindWindowA("KVXNote", nullptr));
}

TEST_F(MessageWindowTest, ANewMessageTakesATypedKvxNumber)
{
    USER_INFO_STRUCT nobody = {};
    NP_Send(nobody, 100, RosterBench::kAccount, m_bench.Bar());
    HWND note = WaitForWindow("KVXNote", "New Message");
    ASSERT_TRUE(note != nullptr);
    HWND peer = GetDlgItem(note, kPeer);
    EXPECT_EQ(0, GetWindowLongA(peer, GWL_STYLE) & ES_READONLY);
    SetWindowTextA(GetDlgItem(note, kText), "hi there");

    SendMessageA(note, WM_COMMAND, IDOK, 0);
    EXPECT_NE(std::string::npos, TextOf(GetDlgItem(note, kStatus)).find("Type the KVX#"));
    EXPECT_TRUE(m_bench.Quiet());

    SetWindowTextA(peer, "777");
    m_bench.answerSocket = false;
    SendMessageA(note, WM_COMMAND, IDOK, 0);
    EXPECT_NE(std::string::npos, TextOf(GetDlgItem(note, kStatus)).find("not connected"));
    EXPECT_TRUE(IsWindow(note));
    EXPECT_EQ("hi there", TextOf(GetDlgItem(note, kText))) << "nothing lost";

    m_bench.answerSocket = true;
    SendMessageA(note, WM_COMMAND, IDOK, 0);
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_MESSAGE_SEND, &packet));
    EXPECT_EQ(777, Sent(packet).to);
    EXPECT_EQ("hi there", Field(Sent(packet).text, sizeof Sent(packet).text));
    EXPECT_NE(std::string::npos, m_bench.Folder().Read("Logs\\1000.txt").find("To KVX# 777 (KVX# 777):"));
}

} // namespace
