// The contact menu's commands on a clicked entry, read from the far end of the connection
// or from the windows they open; the balloon; and the user's own away message.
#include <gtest/gtest.h>

#include "RosterFixture.h"
#include "roster/RosterIds.h"
#include "support/DialogDriver.h"

namespace {

enum Command : WORD { kMessage = 22, kDelete, kPing, kChat = 26, kQuake2 = 49, kSubspace = 55, kEmail, kFile, kInfo = 61, kLog };

class CommandTest : public RosterFixture {
protected:
    CommandTest()
    {
        ContactRecord player = Entry(32, "Fragger", 600);
        player.game = {htonl(0xC0A80107), 27910, "q2dm1 FFA"}; // 192.168.1.7
        lstrcpynA(player.away, "brb, fragging", sizeof player.away);
        LogIn({Entry(31, "Medic", 300), player});
    }
    // The account of the next packet of `type`, 0 when none came.
    std::int32_t Asked(WORD type)
    {
        PACKET_DATA packet;
        return bar.Next(type, &packet) ? Payload<AccountRecord>(packet).account : 0;
    }
    void Profile(std::int32_t account, const char* email)
    {
        ProfileList list = {1, 0, {{account, 300, 0, "Medic", {}}}};
        lstrcpynA(list.entries[0].email, email, sizeof list.entries[0].email);
        RL_GotInfoRes(reinterpret_cast<const SEARCH_INFO_STRUCT*>(&list));
    }
};

TEST_F(CommandTest, EachCommandActsOnTheClickedEntry)
{
    const struct {
        int row;
        WORD command;
        WORD packet; // sent about the entry, or
        const char* cls; // the window it opens
        const char* title;
    } cases[] = {
        {1, kDelete, PKT_CONTACT_DELETE, nullptr, nullptr}, {0, kInfo, PKT_INFO_REQUEST, nullptr, nullptr},
        {0, kMessage, 0, "KVXNote", "Message to Medic"},    {0, kChat, 0, "KVXChat", "Chat with Medic"},
        {0, kLog, 0, "KVXInfo", "Comm Log: Medic"},         {0, kPing, 0, "KVXInfo", "Ping"},
        {0, kFile, 0, "KVXInfo", "Send File"},              {1, kSubspace, 0, "KVXInfo", "Game Info"},
        {1, kQuake2, 0, "KVXGameInfo", "Quake II Game Info"},
    };
    for (const auto& c : cases) {
        Click(c.row);
        RL_RCommand(c.command);
        if (c.packet) EXPECT_EQ(31 + c.row, Asked(c.packet)) << c.command;
        else EXPECT_NE(nullptr, WaitForWindow(c.cls, c.title)) << c.title;
    }
    EXPECT_TRUE(RowShows(1, kAnything)) << "deleted only when the server says so";
    HWND game = FindWindowA("KVXGameInfo", nullptr);
    EXPECT_NE(std::string::npos, TextOf(GetDlgItem(game, 100)).find("Fragger is playing Quake II on 192.168.1.7:27910"));
    SendMessageA(game, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(1u, bar.joins.size()) << "joined through the bar";
    EXPECT_EQ(htonl(0xC0A80107), bar.joins[0].first.addr);
    EXPECT_EQ(27910, bar.joins[0].first.port);
    EXPECT_STREQ("q2dm1 FFA", bar.joins[0].first.info);
    EXPECT_EQ(600, bar.joins[0].second);
    Profile(31, "medic@example.com");
    EXPECT_NE(nullptr, WaitForWindow("KVXInfo", "Info: Medic"));

    while (HWND note = FindWindowA("KVXNote", nullptr)) DestroyWindow(note);
    Click(0);
    RL_UserEvent(); // a double click
    EXPECT_NE(nullptr, WaitForWindow("KVXNote", "Message to Medic"));
    RL_RefreshIP(0);
    bar.online = false;
    RL_StatusChange(kAccount, FALSE);
    RL_RCommand(kDelete);
    EXPECT_NE(nullptr, WaitForWindow("KVXInfo", "KVX")) << "offline, the user is told";
    EXPECT_TRUE(bar.Quiet());
}

TEST_F(CommandTest, EmailAsksForTheProfileFirst)
{
    Click(0);
    RL_RCommand(kEmail);
    EXPECT_EQ(31, Asked(PKT_INFO_REQUEST));
    Profile(31, "");
    EXPECT_NE(nullptr, WaitForWindow("KVXInfo", "Send E-Mail")) << "no address, said plainly";
    EXPECT_EQ(nullptr, FindWindowA("KVXInfo", "Info: Medic"));
    RL_RCommand(kEmail);
    EXPECT_TRUE(bar.Quiet()) << "the profile is known now";
}

TEST_F(CommandTest, ChatLinesGoOutToTheContactOrStayToBeSentAgain)
{
    Click(0);
    RL_RCommand(kChat);
    HWND chat = WaitForWindow("KVXChat", "Chat with Medic");
    ASSERT_TRUE(chat != nullptr);
    for (const bool online : {true, false}) {
        bar.online = online;
        SetWindowTextA(GetDlgItem(chat, 101), "need health");
        SendMessageA(chat, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(online ? "" : "need health", TextOf(GetDlgItem(chat, 101)));
    }
    EXPECT_EQ(0u, TextOf(GetDlgItem(chat, 100)).find("Me: need health\r\nKVX: Not sent"));
    PACKET_DATA packet;
    ASSERT_TRUE(bar.Next(PKT_CHAT_LINE, &packet));
    EXPECT_EQ(31, Payload<ChatLineRecord>(packet).to);
    EXPECT_EQ("need health", FieldText(Payload<ChatLineRecord>(packet).text));
}

TEST_F(CommandTest, TheBalloonDescribesTheEntryUnderThePointer)
{
    RL_Hilight(kArea.left + 30, kArea.top + 20, kArea);
    HWND balloon = RL_Balloon();
    ASSERT_TRUE(balloon != nullptr);
    const std::string text = TextOf(balloon);
    DestroyWindow(balloon);
    for (const char* part : {"Fragger", "KVX# 32", "Quake II", "brb, fragging", "192.168.1.7:27910", "q2dm1 FFA"})
        EXPECT_NE(std::string::npos, text.find(part)) << part << " in " << text;
    RL_Hilight(kArea.left + 30, kArea.top + 3 * 16 + 4, kArea);
    EXPECT_EQ(nullptr, RL_Balloon()) << "no entry there";
}

TEST_F(CommandTest, TheAwayMessageGoesOutWithAwayAndNotAvailableOnly)
{
    const struct {
        int status;
        const char* caption;
        int button;
        bool goesOn;
    } edits[] = {{400, AWAY_CAPTION, IDOK, true}, {500, NA_CAPTION, IDCANCEL, false}};
    for (const auto& e : edits)
        DriveDialog(e.caption, [&] { EXPECT_EQ(e.goesOn, RL_EditAway(e.status) == 10); }, [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_AWAY_TEXT, e.goesOn ? "eating pizza" : "thrown away");
            ::Click(dialog, e.button);
        });
    for (const WORD status : {400, 300, 500}) {
        bar.status = status;
        RL_StatusChange(kAccount, TRUE);
        PACKET_DATA packet;
        ASSERT_TRUE(bar.Next(PKT_STATUS, &packet));
        EXPECT_EQ(status == 300 ? "" : "eating pizza", FieldText(Payload<StatusRecord>(packet).away)) << status;
    }
}

} // namespace
