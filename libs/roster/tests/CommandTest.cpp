// The contact menu's commands on a clicked entry, read from the far end of the connection or
// from the windows they open.
#include <tuple>

#include "RosterFixture.h"

namespace {

// The contact menu's command ids.
const WORD kMessage = 22, kDelete = 23, kChat = 26, kQuake2 = 49, kSubspace = 55, kEmail = 56;
const WORD kAddToList = 25, kInfo = 61, kLog = 62;

class CommandTest : public RosterFixture {
protected:
    CommandTest()
    {
        ContactRecord player = Entry(32, "Fragger", 600);
        player.game = {htonl(0xC0A80107), 27910, "q2dm1 FFA"}; // 192.168.1.7
        lstrcpynA(player.away, "brb, fragging", sizeof player.away);
        LogIn({Entry(31, "Medic", 300), player});
    }
    static void Profile(const char* email)
    {
        ProfileList list = {1, 0, {{31, 300, 0, "Medic", {}}}};
        lstrcpynA(list.entries[0].email, email, sizeof list.entries[0].email);
        RL_GotInfoRes(reinterpret_cast<const SEARCH_INFO_STRUCT*>(&list));
    }
};

TEST_F(CommandTest, EachCommandActsOnTheClickedEntry)
{
    // Row, command, then the packet sent about the entry or the window it opens.
    const std::tuple<int, WORD, WORD, const char*, const char*> cases[] = {
        {1, kDelete, PKT_CONTACT_DELETE, "", ""},    {0, kInfo, PKT_INFO_REQUEST, "", ""},
        {0, kAddToList, PKT_CONTACT_ADD, "", ""},    {0, kMessage, 0, "KVXNote", "Message to Medic"},
        {0, kChat, 0, "KVXChat", "Chat with Medic"}, {0, kLog, 0, "KVXInfo", "Comm Log: Medic"},
        {1, kSubspace, 0, "KVXInfo", "Game Info"},   {1, kQuake2, 0, "KVXGameInfo", "Quake II Game Info"}};
    for (const auto& [row, command, packet, cls, title] : cases) {
        Click(row);
        RL_RCommand(command);
        EXPECT_TRUE(packet ? About(packet) == 31 + row : WaitForWindow(cls, title) != nullptr) << command;
    }
    EXPECT_TRUE(RowShows(1, kAnything)) << "deleted only when the server says so";
    Profile("medic@example.com");
    EXPECT_NE(nullptr, WaitForWindow("KVXInfo", "Info: Medic"));
    HWND game = FindWindowA("KVXGameInfo", nullptr);
    EXPECT_NE(std::string::npos, DialogItemText(game, 100).find("Fragger is playing Quake II on 192.168.1.7:27910"));
    SendMessageA(game, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(1u, bar.joins.size()) << "joined through the bar";
    const GAME_RECORD& joined = bar.joins[0].first;
    EXPECT_TRUE(joined.addr == htonl(0xC0A80107) && joined.port == 27910 && bar.joins[0].second == 600);
    EXPECT_STREQ("q2dm1 FFA", joined.info);

    RL_UserEvent(); // a double click on the clicked entry
    EXPECT_NE(nullptr, WaitForWindow("KVXNote", "Message to Fragger"));
    RL_RefreshIP(0);
    RL_RCommand(kDelete);
    EXPECT_NE(nullptr, WaitForWindow("KVXInfo", "KVX")) << "offline, the user is told";
    EXPECT_TRUE(bar.Quiet());
}

TEST_F(CommandTest, EmailAsksForTheProfileFirstAndChatLinesGoOutOrStay)
{
    Click(0);
    RL_RCommand(kEmail);
    EXPECT_EQ(31, About(PKT_INFO_REQUEST));
    Profile("");
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Send E-Mail") && !FindWindowA("KVXInfo", "Info: Medic")) << "said plainly";
    RL_RCommand(kChat);
    HWND chat = WaitForWindow("KVXChat", "Chat with Medic");
    for (const bool online : {true, false}) {
        bar.online = online;
        SetDlgItemTextA(chat, 101, "need health");
        SendMessageA(chat, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(online ? "" : "need health", DialogItemText(chat, 101)) << "kept to send again";
    }
    EXPECT_EQ(0u, DialogItemText(chat, 100).find("Me: need health\r\nKVX: Not sent"));
    PACKET_DATA packet;
    ASSERT_TRUE(bar.Next(PKT_CHAT_LINE, &packet));
    EXPECT_EQ(31, Payload<ChatLineRecord>(packet).to);
    EXPECT_EQ("need health", FieldText(Payload<ChatLineRecord>(packet).text));
}

} // namespace
