// The scanner against stand-in servers on loopback: what it lists for answering, silent and
// unknown servers, that it never waits on them, that a real double click joins one that
// answered, and that Refresh asks every server again.
#include <tuple>

#include "QuakeResponder.h"
#include "ScannerFixture.h"
#include "support/Input.h"

namespace {

const char kHead[] = "\xff\xff\xff\xffprint\n\\hostname\\KVX Test Base\\maxclients\\12";

TEST_F(ScannerTest, ListsEachServersAnswerOrWhyThereIsNoneJoinsOneThatAnsweredAndRefreshes)
{
    QuakeResponder servers({"127.0.0.61:27910", "127.0.0.61:27911", "127.0.0.63:27910"});
    ASSERT_TRUE(servers.Listening());
    servers.Answer("127.0.0.61:27910", kHead + std::string("\\mapname\\q2dm3\n17 32 \"Ranger\"\n3 110 \"Grunt\"\n"));
    servers.Answer("127.0.0.61:27911",
                   std::string("\xff\xff\xff\xffn\\maxclients\\8\\map\\e1m2\n2 -9999 5 10 \"Eye\" \"\" 0 0\n"));
    folder.Write("probe.ini", "[Quake2]\r\nServer=127.0.0.61\r\nServer=127.0.0.61:27911\r\n"
                              "Server=127.0.0.63:27910\r\nServer=no.such.host.invalid:27910\r\n");
    HWND scanner = Open();
    EXPECT_TRUE(scanner && !GetWindow(scanner, GW_OWNER) && Rows() == 4);
    EXPECT_EQ("...", Cell(RowOf("127.0.0.63:27910"), kPing)) << "opening waited for no answer";
    DWORD_PTR answer = 0;
    EXPECT_NE(0, SendMessageTimeoutA(scanner, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer))
        << "it answers while it waits";
    // Address, then name, map, players and ping (a number, or why there is none).
    const std::tuple<const char*, const char*, const char*, const char*, const char*> rows[] = {
        {"127.0.0.61:27910", "KVX Test Base", "q2dm3", "2/12", "#"},
        {"127.0.0.61:27911", "127.0.0.61:27911", "e1m2", "0/8", "#"}, // a spectator is no player; no name
        {"no.such.host.invalid:27910", "no.such.host.invalid:27910", "", "", "unknown host"},
        {"127.0.0.63:27910", "127.0.0.63:27910", "", "", "timeout"}};
    for (const auto& [address, name, map, players, ping] : rows) {
        const int row = RowOf(address, true);
        const std::string shown = Cell(row, kPing);
        EXPECT_EQ(std::string(name) + "|" + map + "|" + players,
                  Cell(row, kName) + "|" + Cell(row, kMap) + "|" + Cell(row, kPlayers));
        EXPECT_EQ(ping, shown.find_first_not_of("0123456789") == std::string::npos && !shown.empty() ? "#" : shown);
    }
    EXPECT_EQ(1, servers.Queries("127.0.0.63:27910")) << "the silent one was asked";

    SetWindowPos(scanner, HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(scanner);
    auto doubleClick = [&](const char* address, const std::function<bool()>& seen) {
        RECT cell = {LVIR_LABEL, 0, 0, 0};
        SendMessageA(Item(kList), LVM_GETITEMRECT, RowOf(address), reinterpret_cast<LPARAM>(&cell));
        MoveTo(Item(kList), cell.left + 10, (cell.top + cell.bottom) / 2);
        WaitFor([] { return false; }, 100); // the move is seen before the clicks
        for (int i = 0; i < 2; ++i) LeftDown(), LeftUp();
        EXPECT_TRUE(WaitFor(seen, 3000)) << address;
    };
    doubleClick("127.0.0.63:27910",
                [] { return WindowText(Item(kStatus)).find("has not answered") != std::string::npos; });
    doubleClick("127.0.0.61:27910", [&] { return !bar.joins.empty(); });
    ASSERT_EQ(1u, bar.joins.size()) << "only the server that answered is joined";
    EXPECT_TRUE(bar.joins[0].first.addr == htonl(0x7F00003D) && bar.joins[0].first.port == 27910)
        << "network, host order";
    EXPECT_TRUE(!strcmp(bar.joins[0].first.info, "KVX Test Base") && bar.joins[0].second == 600);
    EXPECT_NE(std::string::npos, WindowText(Item(kStatus)).find("Joining KVX Test Base"));

    // The map changes and a player leaves on one; the other goes away.
    servers.Answer("127.0.0.61:27910", kHead + std::string("\\mapname\\q2dm8\n5 40 \"Ranger\"\n"));
    servers.Answer("127.0.0.61:27911", "");
    Press(kRefresh);
    const int row = RowOf("127.0.0.61:27910", true);
    EXPECT_EQ("q2dm8|1/12", Cell(row, kMap) + "|" + Cell(row, kPlayers));
    EXPECT_EQ(2, servers.Queries("127.0.0.61:27910")) << "asked again";
    EXPECT_EQ("timeout", Cell(RowOf("127.0.0.61:27911", true), kPing)) << "the old answer is not passed off as new";
}

} // namespace
