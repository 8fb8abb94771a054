// The contact menu's commands on a clicked entry, read from the far end of the connection
// or from the windows they open; and the user's own away message.
#include <gtest/gtest.h>

#include <string.h>

#include <thread>

#include "RosterBench.h"
#include "roster/RosterIds.h"
#include "roster/roster.h"
#include "wire/Packets.h"

namespace {

enum Command : WORD {
    kMessage = 22,
    kDelete = 23,
    kChat = 26,
    kQuake2Info = 49,
    kSubspaceInfo = 55,
    kEmail = 56,
    kInfo = 61,
    kCommLog = 62,
};

std::int32_t AccountIn(const PACKET_DATA& packet)
{
    AccountRecord account = {};
    memcpy(&account, packet.payload, sizeof account);
    return account.account;
}

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_bench.LogIn();
        PACKET_DATA packet;
        ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACTS_REQUEST, &packet));
        RosterBench::Contact(31, "Medic", 300);
        ContactRecord player = {};
        player.account = 32;
        lstrcpynA(player.nickname, "Fragger", sizeof player.nickname);
        player.status = 600;
        player.game.addr = htonl(0xC0A80107); // 192.168.1.7
        player.game.port = 27910;
        lstrcpynA(player.game.info, "q2dm1 FFA", sizeof player.game.info);
        lstrcpynA(player.away, "brb, fragging", sizeof player.away);
        RosterBench::Event(EVENT_CONTACT, &player, sizeof player, 32);
        RosterBench::ListEnd();
    }

    void Profile(std::int32_t account, const char* nickname, const char* email)
    {
        ProfileList list = {};
        list.count = 1;
        list.entries[0].account = account;
        list.entries[0].status = 300;
        lstrcpynA(list.entries[0].nickname, nickname, sizeof list.entries[0].nickname);
        lstrcpynA(list.entries[0].email, email, sizeof list.entries[0].email);
        RL_GotInfoRes(reinterpret_cast<const SEARCH_INFO_STRUCT*>(&list));
    }

    RosterBench m_bench;
};

TEST_F(CommandTest, DeleteAndInfoAskTheServerAboutTheClickedEntry)
{
    ASSERT_TRUE(m_bench.Click(1));
    RL_RCommand(kDelete);
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrame(&packet));
    EXPECT_EQ(PKT_CONTACT_DELETE, packet.type);
    EXPECT_EQ(32, AccountIn(packet));
    EXPECT_TRUE(m_bench.RowUsed(1)) << "gone only when the server says so";

    ASSERT_TRUE(m_bench.Click(0));
    RL_RCommand(kInfo);
    ASSERT_TRUE(m_bench.ReadFrame(&packet));
    EXPECT_EQ(PKT_INFO_REQUEST, packet.type);
    EXPECT_EQ(31, AccountIn(packet));
    Profile(31, "Medic", "medic@example.com");
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Info: Medic") != nullptr);

    // Without a connection the user is told, and nothing is sent.
    RL_RefreshIP(0);
    m_bench.answerSocket = false;
    RL_StatusChange(RosterBench::kAccount, FALSE);
    CloseAll("KVXInfo");
    ASSERT_TRUE(m_bench.Click(0));
    RL_RCommand(kDelete);
    EXPECT_TRUE(WaitForWindow("KVXInfo", "KVX") != nullptr);
    EXPECT_TRUE(m_bench.Quiet());
}

TEST_F(CommandTest, EmailNeedsTheProfileFirst)
{
    ASSERT_TRUE(m_bench.Click(0));
    RL_RCommand(kEmail);
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrame(&packet));
    EXPECT_EQ(PKT_INFO_REQUEST, packet.type);
    EXPECT_EQ(31, AccountIn(packet));
    // A profile without an address: said plainly, and no information window about it.
    Profile(31, "Medic", "");
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Send E-Mail") != nullptr);
    EXPECT_EQ(nullptr, FindWindowA("KVXInfo", "Info: Medic"));
    CloseAll("KVXInfo");
    RL_RCommand(kEmail);
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Send E-Mail") != nullptr);
    EXPECT_TRUE(m_bench.Quiet()) << "the profile is known now";
}

TEST_F(CommandTest, GameInfoJoinsTheContactsServerThroughTheBar)
{
    ASSERT_TRUE(m_bench.Click(1));
    RL_RCommand(kQuake2Info);
    HWND info = WaitForWindow("KVXGameInfo", "Quake II Game Info");
    ASSERT_TRUE(info != nullptr);
    const std::string text = TextOf(GetDlgItem(info, 100));
    EXPECT_NE(std::string::npos, text.find("Fragger is playing Quake II on 192.168.1.7:27910")) << text;
    EXPECT_NE(std::string::npos, text.find("q2dm1 FFA")) << text;
    SendMessageA(info, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(1u, m_bench.joined.size());
    EXPECT_EQ(htonl(0xC0A80107), m_bench.joined[0].addr);
    EXPECT_EQ(27910, m_bench.joined[0].port);
    EXPECT_STREQ("q2dm1 FFA", m_bench.joined[0].info);
    EXPECT_EQ(600, m_bench.joinedGames[0]);
    EXPECT_FALSE(IsWindow(info));

    // Not in that game: a sentence, no window to join from.
    RL_RCommand(kSubspaceInfo);
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Game Info") != nullptr);
    EXPECT_EQ(nullptr, FindWindowA("KVXGameInfo", nullptr));
}

TEST_F(CommandTest, ChatLinesGoOutToTheContact)
{
    ASSERT_TRUE(m_bench.Click(0));
    RL_RCommand(kChat);
    HWND chat = WaitForWindow("KVXChat", "Chat with Medic");
    ASSERT_TRUE(chat != nullptr);
    SetWindowTextA(GetDlgItem(chat, 101), "need health");
    SendMessageA(chat, WM_COMMAND, IDOK, 0);
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrame(&packet));
    EXPECT_EQ(PKT_CHAT_LINE, packet.type);
    ChatLineRecord line;
    memcpy(&line, packet.payload, sizeof line);
    EXPECT_EQ(31, line.to);
    EXPECT_EQ("need health", Field(line.text, sizeof line.text));
    EXPECT_EQ("Me: need health", TextOf(GetDlgItem(chat, 100)));
    EXPECT_EQ("", TextOf(GetDlgItem(chat, 101)));

    m_bench.answerSocket = false;
    SetWindowTextA(GetDlgItem(chat, 101), "hello?");
    SendMessageA(chat, WM_COMMAND, IDOK, 0);
    EXPECT_NE(std::string::npos, TextOf(GetDlgItem(chat, 100)).find("Not sent"));
    EXPECT_EQ("hello?", TextOf(GetDlgItem(chat, 101))) << "kept to send again";
}

TEST_F(CommandTest, TheBalloonDescribesTheEntryUnderThePointer)
{
    const RECT area = m_bench.Area();
    RL_Hilight(area.left + 30, area.top + 16 + 4, area);
    HWND balloon = RL_Balloon();
    ASSERT_TRUE(balloon != nullptr);
    const std::string text = TextOf(balloon);
    DestroyWindow(balloon);
    for (const char* part : {"Fragger", "KVX# 32", "Quake II", "brb, fragging", "192.168.1.7:27910", "q2dm1 FFA"})
        EXPECT_NE(std::string::npos, text.find(part)) << part << " in " << text;

    RL_Hilight(area.left + 30, area.top + 3 * 16 + 4, area);
    EXPECT_EQ(nullptr, RL_Balloon()) << "no entry there";
}

TEST_F(CommandTest, TheAwayMessageGoesOutWithTheNextStatus)
{
    std::thread driver([] {
        HWND dialog = nullptr;
        for (int i = 0; i < 300 && !dialog; ++i, Sleep(10)) dialog = FindWindowA("#32770", AWAY_CAPTION);
        if (!dialog) return;
        SetDlgItemTextA(dialog, IDC_AWAY_TEXT, "eating pizza");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(10, RL_EditAway(400));
    driver.join();

    m_bench.status = 400;
    RL_StatusChange(RosterBench::kAccount, TRUE);
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_STATUS, &packet));
    StatusRecord status;
    memcpy(&status, packet.payload, sizeof status);
    EXPECT_EQ(400, status.status);
    EXPECT_EQ("eating pizza", Field(status.away, sizeof status.away));

    // Cancel keeps the old message and stops the change.
    std::thread canceller([] {
        HWND dialog = nullptr;
        for (int i = 0; i < 300 && !dialog; ++i, Sleep(10)) dialog = FindWindowA("#32770", NA_CAPTION);
        if (!dialog) return;
        SetDlgItemTextA(dialog, IDC_AWAY_TEXT, "thrown away");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_NE(10, RL_EditAway(500));
    canceller.join();
    m_bench.status = 300;
    RL_StatusChange(RosterBench::kAccount, TRUE);
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_STATUS, &packet));
    memcpy(&status, packet.payload, sizeof status);
    EXPECT_EQ("", Field(status.away, sizeof status.away)) << "online carries no away message";
    m_bench.status = 500;
    RL_StatusChange(RosterBench::kAccount, TRUE);
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_STATUS, &packet));
    memcpy(&status, packet.payload, sizeof status);
    EXPECT_EQ("eating pizza", Field(status.away, sizeof status.away));
}

} // namespace
