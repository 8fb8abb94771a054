// The scanner against servers on loopback: what it lists for answering, silent and unknown
// servers, that it never waits on them, and that it joins one on a real double click.
#include <winsock2.h>
#include <commctrl.h>
#include <ws2tcpip.h>

#include "QuakeResponder.h"
#include "ScannerFixture.h"
#include "probe/probe.h"
#include "support/Input.h"
#include "support/Wait.h"

namespace {

const char kInfo[] = "\\cheats\\0\\hostname\\KVX Test Base\\maxclients\\12\\mapname\\q2dm3";
const char kPlayerLines[] = "17 32 \"Ranger\"\n3 110 \"Grunt\"\n0 999 \"Connecting\"\n";
const std::string kQuakeWorld = std::string("\xff\xff\xff\xffn\\maxclients\\8\\map\\e1m2\\hostname\\Old School QW\n") +
                                "1 9 20 44 \"Alpha\" \"base\" 4 4\n2 -9999 5 10 \"\\s\\Eye\" \"\" 0 0\n" +
                                std::string(1, '\0');

} // namespace

TEST_F(ScannerTest, ListsEachServerWithItsAnswerOrWhyThereIsNone)
{
    QuakeResponder quake2("127.0.0.61", 27910, QuakeResponder::QuakeIIAnswer(kInfo, kPlayerLines));
    QuakeResponder quakeWorld("127.0.0.61", 27911, kQuakeWorld);
    QuakeResponder silent("127.0.0.63", 27910, "");
    ASSERT_TRUE(quake2.Listening() && quakeWorld.Listening() && silent.Listening());
    m_folder->Write("probe.ini", "[Quake2]\r\nServer=127.0.0.61\r\nServer=127.0.0.61:27911\r\n"
                                 "Server=127.0.0.63:27910\r\nServer=no.such.host.invalid:27910\r\n");

    HWND scanner = Open();
    ASSERT_NE(scanner, nullptr);
    // Open returned before any answer could come: nothing was waited for on this thread.
    EXPECT_EQ(Cell(RowOf("127.0.0.63:27910"), kPing), "...");
    char caption[64] = "";
    GetWindowTextA(scanner, caption, sizeof caption);
    EXPECT_STREQ(caption, "Quake II Servers");
    EXPECT_EQ(GetWindow(scanner, GW_OWNER), nullptr);
    EXPECT_EQ(GetParent(scanner), nullptr);
    EXPECT_TRUE(IsWindowVisible(scanner));
    EXPECT_TRUE(WaitFor([&] { return LibraryRequests() == 1; }, 2000)) << "the bar is asked for the list";

    ASSERT_EQ(Rows(), 4);
    ASSERT_TRUE(WaitSettled("127.0.0.61:27910"));
    int row = RowOf("127.0.0.61:27910");
    EXPECT_EQ(Cell(row, kName), "KVX Test Base");
    EXPECT_EQ(Cell(row, kMap), "q2dm3");
    EXPECT_EQ(Cell(row, kPlayers), "3/12");
    const std::string ping = Cell(row, kPing);
    EXPECT_FALSE(ping.empty());
    EXPECT_EQ(ping.find_first_not_of("0123456789"), std::string::npos) << ping;

    ASSERT_TRUE(WaitSettled("127.0.0.61:27911"));
    row = RowOf("127.0.0.61:27911");
    EXPECT_EQ(Cell(row, kName), "Old School QW");
    EXPECT_EQ(Cell(row, kMap), "e1m2");
    EXPECT_EQ(Cell(row, kPlayers), "1/8") << "the spectator is not a player";

    ASSERT_TRUE(WaitSettled("no.such.host.invalid:27910"));
    row = RowOf("no.such.host.invalid:27910");
    EXPECT_EQ(Cell(row, kPing), "unknown host");
    EXPECT_EQ(Cell(row, kName), "no.such.host.invalid:27910");

    // While the silent server is awaited, the window answers at once.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(scanner, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result), 0);
    ASSERT_TRUE(WaitSettled("127.0.0.63:27910"));
    row = RowOf("127.0.0.63:27910");
    EXPECT_EQ(Cell(row, kPing), "timeout");
    EXPECT_EQ(Cell(row, kMap), "");
    EXPECT_EQ(Cell(row, kPlayers), "");
    EXPECT_GE(silent.Queries(), 1) << "the query reached it";
}

TEST_F(ScannerTest, RefreshAsksEveryServerAgainAndShowsWhatChanged)
{
    std::unique_ptr<QuakeResponder> server(
        new QuakeResponder("127.0.0.61", 27910, QuakeResponder::QuakeIIAnswer(kInfo, kPlayerLines)));
    m_folder->Write("probe.ini", "[Quake2]\r\nServer=127.0.0.61:27910\r\n");
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(WaitSettled("127.0.0.61:27910"));
    EXPECT_EQ(Cell(0, kMap), "q2dm3");

    // The map changes and a player leaves.
    server.reset();
    server.reset(new QuakeResponder("127.0.0.61", 27910,
                                    QuakeResponder::QuakeIIAnswer("\\hostname\\KVX Test Base\\mapname\\q2dm8"
                                                                  "\\maxclients\\12",
                                                                  "5 40 \"Ranger\"\n")));
    ASSERT_TRUE(server->Listening());
    SendMessageA(Control(104), BM_CLICK, 0, 0);
    EXPECT_EQ(Cell(0, kPing), "...");
    ASSERT_TRUE(WaitSettled("127.0.0.61:27910"));
    EXPECT_EQ(Cell(0, kMap), "q2dm8");
    EXPECT_EQ(Cell(0, kPlayers), "1/12");
    EXPECT_EQ(server->Queries(), 1);

    // Then it goes away: the old answer is not passed off as new.
    server.reset();
    SendMessageA(Control(104), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitSettled("127.0.0.61:27910"));
    EXPECT_NE(Cell(0, kPing).find_first_not_of("0123456789"), std::string::npos) << Cell(0, kPing);
}

TEST_F(ScannerTest, OpeningAgainBringsTheSameWindowForward)
{
    HWND first = Open();
    ASSERT_NE(first, nullptr);
    ShowWindow(first, SW_MINIMIZE);
    EXPECT_EQ(Open(), first);
    EXPECT_FALSE(IsIconic(first));
    EXPECT_EQ(FindWindowExA(nullptr, first, "KVXProbe", nullptr), nullptr) << "only one scanner";
    EXPECT_TRUE(WaitFor([&] { return LibraryRequests() == 2; }, 2000)) << "each opening asks for the list";

    DestroyWindow(first);
    PR_StartSpy(m_bar, 700);
    EXPECT_EQ(Scanner(), nullptr) << "only Quake II has a scanner";
}

TEST_F(ScannerTest, DoubleClickJoinsAServerThatAnswered)
{
    QuakeResponder quake2("127.0.0.61", 27910, QuakeResponder::QuakeIIAnswer(kInfo, kPlayerLines));
    QuakeResponder silent("127.0.0.63", 27910, "");
    m_folder->Write("probe.ini", "[Quake2]\r\nServer=127.0.0.63\r\nServer=127.0.0.61\r\n");
    HWND scanner = Open();
    ASSERT_NE(scanner, nullptr);
    SetWindowPos(scanner, HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(scanner);
    ASSERT_TRUE(WaitSettled("127.0.0.61:27910"));
    ASSERT_TRUE(WaitSettled("127.0.0.63:27910"));

    auto doubleClick = [&](int row) {
        RECT cell = {};
        cell.left = LVIR_LABEL;
        SendMessageA(Table(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        MoveTo(Table(), cell.left + 10, (cell.top + cell.bottom) / 2);
        WaitFor([] { return false; }, 100); // the move is seen before the clicks
        LeftDown();
        LeftUp();
        LeftDown();
        LeftUp();
    };

    doubleClick(RowOf("127.0.0.61:27910"));
    ASSERT_TRUE(WaitFor([&] { return Joins() == 1; }, 3000));
    const GAME_RECORD record = LastJoin();
    in_addr expected = {};
    inet_pton(AF_INET, "127.0.0.61", &expected);
    EXPECT_EQ(record.addr, expected.s_addr) << "network byte order";
    EXPECT_EQ(record.port, 27910) << "host byte order";
    EXPECT_STREQ(record.info, "KVX Test Base");
    EXPECT_EQ(LastJoinGame(), 600);
    EXPECT_NE(Status().find("Joining KVX Test Base"), std::string::npos) << Status();

    doubleClick(RowOf("127.0.0.63:27910"));
    EXPECT_TRUE(WaitFor([&] { return Status().find("has not answered") != std::string::npos; }, 3000)) << Status();
    EXPECT_EQ(Joins(), 1) << "a server that did not answer is not joined";
}
