// The two lists the scanner shows: the user's own in probe.ini, edited with Add and Remove,
// and the one the KVX server sends through PR_ServerList.
#include <ws2tcpip.h>

#include "ScannerFixture.h"
#include "wire/Packets.h"

namespace {

TEST_F(ScannerTest, AddAndRemoveKeepTheFileAndWhatTheUserWroteInIt)
{
    const std::string handWritten = "; my list\r\n[Quake2]\r\nServer=keep.example:1\r\nServer=broken:0\r\n";
    folder.Write("probe.ini", handWritten);
    ASSERT_NE(nullptr, Open());
    EXPECT_EQ(1, Rows());
    EXPECT_NE(std::string::npos, Text(kStatus).find("Line 4: The port must be")) << Text(kStatus);
    const struct {
        const char* typed;
        int key;     // 0: the Add button, else this key in the field
        const char* said; // the status; "" when not added
        const char* kept; // what stays in the field
    } adds[] = {
        {" 127.0.0.61 ", 0, "Added 127.0.0.61:27910.", ""}, {"enter.example:27000", VK_RETURN, "Added enter.example:27000.", ""},
        {"127.0.0.61:65536", 0, "The port must be", "127.0.0.61:65536"}, {"bad host", 0, "A host name has only", "bad host"},
        {"127.0.0.61", 0, "127.0.0.61:27910 is listed already.", "127.0.0.61"},
    };
    for (const auto& a : adds) {
        SetWindowTextA(Item(kField), a.typed);
        if (a.key) SendMessageA(Item(kField), WM_KEYDOWN, a.key, 0);
        else Click(kAdd);
        EXPECT_TRUE(WaitFor([&] { return Text(kStatus).find(a.said) == 0; }, 2000)) << Text(kStatus);
        EXPECT_EQ(a.kept, Text(kField));
    }
    EXPECT_EQ(3, Rows());
    EXPECT_EQ(handWritten + "Server=127.0.0.61:27910\r\nServer=enter.example:27000\r\n", folder.Read("probe.ini"))
        << "the bad line stays; new servers join the section";

    Select(RowOf("keep.example:1"));
    Click(kRemove);
    EXPECT_EQ(-1, RowOf("keep.example:1"));
    EXPECT_EQ("; my list\r\n[Quake2]\r\nServer=broken:0\r\nServer=127.0.0.61:27910\r\nServer=enter.example:27000\r\n",
              folder.Read("probe.ini"));
    Select(-1, 0);
    Click(kRemove);
    EXPECT_EQ("Choose one of your servers in the list first.", Text(kStatus));

    // A folder where the temporary file must go makes every save fail: the screen keeps the file's list.
    ASSERT_TRUE(CreateDirectoryA("probe.ini.new", nullptr));
    SetWindowTextA(Item(kField), "b.example");
    Click(kAdd);
    EXPECT_EQ(0u, Text(kStatus).find("Could not save ")) << Text(kStatus);
    Select(0);
    Click(kRemove);
    EXPECT_EQ(2, Rows());
    RemoveDirectoryA("probe.ini.new");
    DestroyWindow(Scanner());
    ASSERT_NE(nullptr, Open());
    EXPECT_EQ(2, Rows()) << "a new scanner reads back what was saved";
}

// A PKT_GAME_SERVERS payload for `game` claiming `count` records and holding these.
std::string GameServers(uint16_t game, uint16_t count, const std::vector<std::pair<const char*, int>>& servers)
{
    GameServersHead head = {game, count};
    std::string payload(reinterpret_cast<const char*>(&head), sizeof head);
    for (const auto& server : servers) {
        GameServerRecord record = {};
        inet_pton(AF_INET, server.first, record.address);
        record.port = static_cast<uint16_t>(server.second);
        payload.append(reinterpret_cast<const char*>(&record), sizeof record);
    }
    return payload;
}

TEST_F(ScannerTest, TheKvxServersListIsShownBesideTheOwnOneInOneScanner)
{
    folder.Write("probe.ini", "[Quake2]\r\nServer=own.example:5\r\n");
    const std::string first = GameServers(kGameQuake2, 2, {{"127.0.0.61", 27910}, {"127.0.0.63", 27999}});
    PR_ServerList(first.data(), static_cast<int>(first.size())); // while closed: shown when it opens
    HWND scanner = Open();
    ASSERT_EQ(3, Rows());
    Select(RowOf("127.0.0.61:27910"));
    Click(kRemove);
    EXPECT_NE(std::string::npos, Text(kStatus).find("comes from the KVX server")) << Text(kStatus);

    const struct {
        std::string payload;
        int rows;
        const char* shown; // a server it shows after
    } lists[] = {
        {GameServers(kGameQuake2, 2, {{"127.0.0.63", 27999}, {"127.0.0.64", 27910}}), 3, "127.0.0.64:27910"},
        {GameServers(kGameQuake2, 9, {{"127.0.0.65", 1}, {"127.0.0.66", 2}}).substr(0, 4 + 8 + 5), 2, "127.0.0.65:1"},
        {GameServers(1, 1, {{"127.0.0.67", 1}}), 2, "127.0.0.65:1"},
        {std::string(3, '\0'), 2, "127.0.0.65:1"},
    };
    for (const auto& l : lists) {
        PR_ServerList(l.payload.data(), static_cast<int>(l.payload.size()));
        EXPECT_EQ(l.rows, Rows()) << l.shown;
        EXPECT_LE(0, RowOf(l.shown));
        EXPECT_LE(0, RowOf("own.example:5"));
    }
    PR_ServerList(nullptr, 100);
    EXPECT_EQ(2, Rows());

    ShowWindow(scanner, SW_MINIMIZE);
    EXPECT_EQ(scanner, Open()) << "opening again brings the same window forward";
    EXPECT_FALSE(IsIconic(scanner));
    EXPECT_EQ(nullptr, FindWindowExA(nullptr, scanner, "KVXProbe", nullptr)) << "only one scanner";
    EXPECT_TRUE(WaitFor([&] { return bar.listRequests == 2; }, 2000)) << "each opening asks for the list";
    DestroyWindow(scanner);
    PR_StartSpy(bar.Handle(), 700);
    EXPECT_EQ(nullptr, Scanner()) << "only Quake II has a scanner";
}

} // namespace
