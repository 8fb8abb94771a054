// The two lists the scanner shows: the user's own in probe.ini, edited with Add and Remove, and
// the one the KVX server sends through PR_ServerList.
#include <ws2tcpip.h>

#include <tuple>

#include "ScannerFixture.h"
#include "wire/Packets.h"

namespace {

TEST_F(ScannerTest, AddAndRemoveKeepTheFileAndWhatTheUserWroteInIt)
{
    const std::string handWritten = "; mine\r\n[Quake2]\r\nServer=keep.example:1\r\nServer=broken:0\r\n";
    folder.Write("probe.ini", handWritten);
    ASSERT_TRUE(Open() && Rows() == 1);
    EXPECT_NE(std::string::npos, WindowText(Item(kStatus)).find("Line 4: The port must be"));
    // Typed, pressed (Enter in the field or the Add button), then the status's start and what stays typed.
    const std::tuple<const char*, bool, const char*, const char*> adds[] = {
        {"enter.example:27000", true, "Added enter.example:27000.", ""},
        {"127.0.0.61:65536", false, "The port must be", "127.0.0.61:65536"},
        {"enter.example:27000", false, "enter.example:27000 is listed already.", "enter.example:27000"}};
    for (const auto& [typed, enter, said, kept] : adds) {
        SetWindowTextA(Item(kField), typed);
        if (enter) SendMessageA(Item(kField), WM_KEYDOWN, VK_RETURN, 0);
        else Press(kAdd);
        EXPECT_TRUE(WaitFor([&] { return WindowText(Item(kStatus)).find(said) == 0; }, 2000)) << said;
        EXPECT_EQ(kept, WindowText(Item(kField)));
    }
    EXPECT_EQ(handWritten + "Server=enter.example:27000\r\n", folder.Read("probe.ini"));
    Select(RowOf("keep.example:1"));
    Press(kRemove);
    EXPECT_EQ("; mine\r\n[Quake2]\r\nServer=broken:0\r\nServer=enter.example:27000\r\n", folder.Read("probe.ini"));
    Select(-1, 0);
    Press(kRemove);
    EXPECT_EQ("Choose one of your servers in the list first.", WindowText(Item(kStatus)));

    ASSERT_TRUE(CreateDirectoryA("probe.ini.new", nullptr)) << "where the new file goes: no save works";
    SetWindowTextA(Item(kField), "b.example");
    Press(kAdd);
    Select(0);
    Press(kRemove);
    EXPECT_TRUE(Rows() == 1 && WindowText(Item(kStatus)).find("Could not save ") == 0)
        << "the screen keeps the file's list";
    DestroyWindow(Scanner());
    EXPECT_TRUE(Open() && Rows() == 1) << "a new scanner reads back what was saved";
}

// A PKT_GAME_SERVERS payload for `game` claiming `count` records and holding these.
std::string GameServers(uint16_t game, uint16_t count, const std::vector<const char*>& addresses)
{
    const GameServersHead head = {game, count};
    std::string payload(reinterpret_cast<const char*>(&head), sizeof head);
    for (const char* address : addresses) {
        GameServerRecord record = {{}, 27910, 0};
        inet_pton(AF_INET, address, record.address);
        payload.append(reinterpret_cast<const char*>(&record), sizeof record);
    }
    return payload;
}

TEST_F(ScannerTest, TheKvxServersListIsShownBesideTheOwnOneInOneScanner)
{
    folder.Write("probe.ini", "[Quake2]\r\nServer=own.example:5\r\n");
    const std::string first = GameServers(kGameQuake2, 2, {"127.0.0.61", "127.0.0.63"});
    PR_ServerList(first.data(), static_cast<int>(first.size())); // while closed: shown when it opens
    HWND scanner = Open();
    ASSERT_EQ(3, Rows());
    Select(RowOf("127.0.0.61:27910"));
    Press(kRemove);
    EXPECT_NE(std::string::npos, WindowText(Item(kStatus)).find("comes from the KVX server"));
    // A new list replaces the old; one claiming more records than it holds gives those it holds;
    // one for another game or too short for its head changes nothing.
    const std::tuple<std::string, int, const char*> lists[] = {
        {GameServers(kGameQuake2, 2, {"127.0.0.63", "127.0.0.64"}), 3, "127.0.0.64:27910"},
        {GameServers(kGameQuake2, 9, {"127.0.0.65", "127.0.0.66"}).substr(0, 4 + 8 + 5), 2, "127.0.0.65:27910"},
        {GameServers(1, 1, {"127.0.0.67"}), 2, "127.0.0.65:27910"},
        {std::string(3, '\0'), 2, "127.0.0.65:27910"}};
    for (const auto& [payload, rows, shown] : lists) {
        PR_ServerList(payload.data(), static_cast<int>(payload.size()));
        EXPECT_TRUE(Rows() == rows && RowOf(shown) >= 0 && RowOf("own.example:5") >= 0) << shown;
    }
    PR_ServerList(nullptr, 100);
    EXPECT_EQ(2, Rows());

    ShowWindow(scanner, SW_MINIMIZE);
    EXPECT_TRUE(Open() == scanner && !IsIconic(scanner)) << "opening again brings the same window forward";
    EXPECT_EQ(nullptr, FindWindowExA(nullptr, scanner, "KVXProbe", nullptr)) << "only one scanner";
    EXPECT_TRUE(WaitFor([&] { return bar.listRequests == 2; }, 2000)) << "each opening asks for the list";
    DestroyWindow(scanner);
    PR_StartSpy(bar.Handle(), 700);
    EXPECT_EQ(nullptr, Scanner()) << "only Quake II has a scanner";
}

} // namespace
