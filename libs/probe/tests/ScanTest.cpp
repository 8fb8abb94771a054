// The scanner against servers on loopback: what it lists for answering, silent and unknown
// servers, that it never waits on them, that Refresh asks again, and that a real double click
// joins a server that answered.
#include "QuakeResponder.h"
#include "ScannerFixture.h"
#include "support/Input.h"

namespace {

const std::string kQuakeII = "\xff\xff\xff\xffprint\n\\cheats\\0\\hostname\\KVX Test Base\\maxclients\\12\\mapname\\q2dm3\n"
                             "17 32 \"Ranger\"\n3 110 \"Grunt\"\n0 999 \"Connecting\"\n";
const std::string kQuakeWorld = std::string("\xff\xff\xff\xffn\\maxclients\\8\\map\\e1m2\\hostname\\Old School QW\n") +
                                "1 9 20 44 \"Alpha\" \"base\" 4 4\n2 -9999 5 10 \"\\s\\Eye\" \"\" 0 0\n" +
                                std::string(1, '\0');
const char kNumber[] = "number";

TEST_F(ScannerTest, ListsEachServersAnswerOrWhyThereIsNoneAndJoinsOneThatAnswered)
{
    QuakeResponder servers({"127.0.0.61:27910", "127.0.0.61:27911", "127.0.0.63:27910"});
    ASSERT_TRUE(servers.Listening());
    servers.Answer("127.0.0.61:27910", kQuakeII);
    servers.Answer("127.0.0.61:27911", kQuakeWorld);
    folder.Write("probe.ini", "[Quake2]\r\nServer=127.0.0.61\r\nServer=127.0.0.61:27911\r\n"
                              "Server=127.0.0.63:27910\r\nServer=no.such.host.invalid:27910\r\n");
    HWND scanner = Open();
    ASSERT_NE(nullptr, scanner);
    EXPECT_EQ("...", Cell(RowOf("127.0.0.63:27910"), kPing)) << "opening waited for no answer";
    EXPECT_EQ(nullptr, GetWindow(scanner, GW_OWNER));
    EXPECT_TRUE(WaitFor([&] { return bar.listRequests == 1; }, 2000)) << "the bar is asked for the KVX server's list";
    DWORD_PTR answer = 0;
    EXPECT_NE(0, SendMessageTimeoutA(scanner, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer)) << "answers while it waits";

    const struct {
        const char* address;
        const char* name;
        const char* map;
        const char* players;
        const char* ping;
    } rows[] = {
        {"127.0.0.61:27910", "KVX Test Base", "q2dm3", "3/12", kNumber},
        {"127.0.0.61:27911", "Old School QW", "e1m2", "1/8", kNumber}, // a spectator is no player
        {"no.such.host.invalid:27910", "no.such.host.invalid:27910", "", "", "unknown host"},
        {"127.0.0.63:27910", "127.0.0.63:27910", "", "", "timeout"},
    };
    ASSERT_EQ(4, Rows());
    for (const auto& r : rows) {
        const int row = Settled(r.address);
        ASSERT_LE(0, row) << r.address;
        const std::string ping = Cell(row, kPing);
        EXPECT_EQ(r.name, Cell(row, kName));
        EXPECT_EQ(r.map, Cell(row, kMap));
        EXPECT_EQ(r.players, Cell(row, kPlayers));
        if (r.ping == kNumber) EXPECT_TRUE(!ping.empty() && ping.find_first_not_of("0123456789") == std::string::npos) << ping;
        else EXPECT_EQ(r.ping, ping);
    }
    EXPECT_EQ(1, servers.Queries("127.0.0.63:27910")) << "the silent one was asked";

    SetWindowPos(scanner, HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(scanner);
    auto doubleClick = [&](const char* address) {
        RECT cell = {LVIR_LABEL, 0, 0, 0};
        SendMessageA(Item(0), LVM_GETITEMRECT, RowOf(address), reinterpret_cast<LPARAM>(&cell));
        MoveTo(Item(0), cell.left + 10, (cell.top + cell.bottom) / 2);
        WaitFor([] { return false; }, 100); // the move is seen before the clicks
        for (int i = 0; i < 2; ++i) LeftDown(), LeftUp();
    };
    doubleClick("127.0.0.61:27910");
    ASSERT_TRUE(WaitFor([&] { return bar.joins.size() == 1; }, 3000));
    EXPECT_EQ(htonl(0x7F00003D), bar.joins[0].first.addr) << "network byte order";
    EXPECT_EQ(27910, bar.joins[0].first.port) << "host byte order";
    EXPECT_STREQ("KVX Test Base", bar.joins[0].first.info);
    EXPECT_EQ(600, bar.joins[0].second);
    EXPECT_NE(std::string::npos, Text(kStatus).find("Joining KVX Test Base")) << Text(kStatus);
    doubleClick("127.0.0.63:27910");
    EXPECT_TRUE(WaitFor([&] { return Text(kStatus).find("has not answered") != std::string::npos; }, 3000));
    EXPECT_EQ(1u, bar.joins.size()) << "a server that did not answer is not joined";

    // The map changes and a player leaves on one; the other goes away.
    servers.Answer("127.0.0.61:27910", "\xff\xff\xff\xffprint\n\\hostname\\KVX Test Base\\mapname\\q2dm8\\maxclients\\12\n5 40 \"Ranger\"\n");
    servers.Answer("127.0.0.61:27911", "");
    Click(kRefresh);
    EXPECT_EQ("...", Cell(RowOf("127.0.0.61:27910"), kPing));
    int row = Settled("127.0.0.61:27910");
    EXPECT_EQ("q2dm8", Cell(row, kMap));
    EXPECT_EQ("1/12", Cell(row, kPlayers));
    EXPECT_EQ(2, servers.Queries("127.0.0.61:27910"));
    row = Settled("127.0.0.61:27911");
    EXPECT_EQ("timeout", Cell(row, kPing)) << "the old answer is not passed off as new";
}

} // namespace
