// The games as the bar runs them, with the real open-file dialog, the real shell and the
// stand-in games: choosing a location, launching, joining a server, the end of a watched
// game noticed after its grace time, reading a running Subspace, and the game reports other
// processes send.
#include <winsock2.h>

#include <cstring>
#include <thread>

#include "games/GameTable.h"
#include "menus/CommandIds.h"
#include "records/Bar.h"
#include "records/GameRecord.h"
#include "session/Session.h"
#include "BarFixture.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"

namespace {

std::string Location(const char* game, const std::string& file)
{
    return "[" + std::string(game) + "]\r\nDir=" + StandInFolder() + "\\\r\nFile=" + file + "\r\n";
}

class GamesTest : public BarFixture {
protected:
    ~GamesTest() override
    {
        for (const char* game : {"Quake 2", "SubSpaceClass", "KVXStandInUnreal"}) CloseStandIns(game);
    }
    CSession& Session() { return *bar->Session(); }
    void Command(WPARAM id) { SendMessageA(g_hMainWnd, WM_COMMAND, id, 0); }
    void Tick() { SendMessageA(g_hMainWnd, WM_TIMER, 70, 0); }
    // Answers the location dialog titled `title` from another thread: types `file` and
    // picks it, or cancels when `file` is empty; keeps what the dialog proposed.
    std::thread Answer(const std::string& title, const std::string& file, std::string* proposed = nullptr)
    {
        return std::thread([=] {
            const SeenBox dialog = FindMessageBox(GetCurrentProcessId(), title.c_str(), 10000);
            if (proposed) *proposed = DialogItemText(dialog.window, 1148); // the file name box
            if (!file.empty()) SetDlgItemTextA(dialog.window, 1148, file.c_str());
            PostMessageA(dialog.window, WM_COMMAND, file.empty() ? IDCANCEL : IDOK, 0);
        });
    }
};

TEST_F(GamesTest, TheTableKnowsLaunchAndLocationCommandsAndStatusCodesOnly)
{
    const struct {
        WORD id, status;
        const char* name;
    } rows[] = {{47, 600, "Quake II"},  {48, 600, "Quake II"}, {59, 630, "Fireteam"},
                {615, 615, "Subspace"}, {60, 0, "unset"},      {625, 0, "unset"}};
    for (const auto& row : rows) {
        char name[kGameNameSize] = "unset";
        EXPECT_EQ(row.status, LookupGame(row.id, name)) << row.id;
        EXPECT_STREQ(row.name, name) << row.id;
    }
}

TEST_F(GamesTest, AGameReportIsTakenUnderTheBarsTagWhenItHoldsARecordAndOnlyItsFirstRecord)
{
    MakeBar("");
    Create(300);
    Session().SetStatus(300);
    EXPECT_EQ(0, SendMessageA(g_hMainWnd, BAR_QUERY_GAME_RECORD, 0, 0)) << "no game record before a report";
    GAME_RECORD reports[2] = {};
    strcpy(reports[0].info, "Reported");
    strcpy(reports[1].info, "Second");
    const DWORD whole = sizeof(GAME_RECORD);
    const struct {
        ULONG_PTR tag;
        DWORD size;
        bool data; // false: a null pointer
        LRESULT taken;
    } rows[] = {{CBar::kGameReport - 1, whole, true, 0},
                {CBar::kGameReport, whole - 1, true, 0},
                {CBar::kGameReport, whole, false, 0},
                {CBar::kGameReport, 2 * whole, true, 1},
                {CBar::kGameReport, whole, true, 1}};
    for (const auto& row : rows) {
        COPYDATASTRUCT copy = {row.tag, row.size, row.data ? reports : nullptr};
        EXPECT_EQ(row.taken, SendMessageA(g_hMainWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)))
            << "tag " << row.tag << ", " << row.size << " bytes";
        EXPECT_EQ(row.taken ? 600 : 300, Session().Status()) << "the reporter is playing Quake II";
    }
    const auto* kept = reinterpret_cast<const GAME_RECORD*>(SendMessageA(g_hMainWnd, BAR_QUERY_GAME_RECORD, 0, 0));
    ASSERT_NE(nullptr, kept);
    EXPECT_STREQ("Reported", kept->info) << "the first record only";
}

TEST_F(GamesTest, LaunchesAskWhereAGameIsSubspaceIsReadAndAWatchedGameEndsOnlyAfterItsGrace)
{
    MakeBar(Location("Quake II", "quake2.exe") + Location("Tanarus", "missing.exe") +
            Location("Subspace", "subspace.exe"));
    Create(300);
    KillTimer(g_hMainWnd, 70); // the game check runs at this test's ticks only
    ASSERT_EQ(200, Session().Status());
    // No location yet: a cancel starts nothing; a pick starts the game at once, but the
    // status is a game only once logged in.
    std::thread cancel = Answer("Choose Unreal Location", "");
    Command(CMD_LAUNCH_UNREAL);
    cancel.join();
    EXPECT_EQ(std::string::npos, folder.Read("KVX.ini").find("[Unreal]"));
    std::thread pick = Answer("Choose Unreal Location", StandInFolder() + "\\unreal.exe");
    Command(CMD_LAUNCH_UNREAL);
    pick.join();
    EXPECT_EQ("Arguments: \r\nFolder: " + StandInFolder(), StandInText("KVXStandInUnreal"));
    EXPECT_EQ(200, Session().Status());
    EXPECT_NE(std::string::npos,
              folder.Read("KVX.ini").find("[Unreal]\r\nFile=unreal.exe\r\nDir=" + StandInFolder() + "\\\r\n"));

    // A running Subspace is read into the record at each query, and its title tagged once.
    Session().SetStatus(300);
    Command(CMD_LAUNCH_SUBSPACE);
    ASSERT_EQ("Arguments: \r\nFolder: " + StandInFolder(), StandInText("SubSpaceClass"));
    ASSERT_EQ(615, Session().Status());
    for (int query = 0; query < 2; ++query) {
        const auto* read = reinterpret_cast<const GAME_RECORD*>(SendMessageA(g_hMainWnd, BAR_QUERY_GAME_RECORD, 0, 0));
        ASSERT_NE(nullptr, read);
        EXPECT_STREQ("KVX test arena", read->info);
        for (int i = 0; i < 24; ++i) EXPECT_EQ(i + 1, read->extra[i]);
        char title[100] = "";
        GetWindowTextA(FindWindowA("SubSpaceClass", nullptr), title, sizeof title);
        EXPECT_STREQ("SubSpace [KVX]", title) << "tagged once";
    }

    GAME_RECORD record = {};
    record.addr = inet_addr("10.0.0.5");
    record.port = 910;
    strcpy(record.info, "Test server");
    SendMessageA(g_hMainWnd, BAR_JOIN_GAME, reinterpret_cast<WPARAM>(&record), 600);
    EXPECT_EQ("Arguments: +connect 10.0.0.5:910\r\nFolder: " + StandInFolder(), StandInText("Quake 2"));
    EXPECT_EQ(600, Session().Status());
    const DWORD launched = Session().GameLaunchTick();
    const auto* kept = reinterpret_cast<const GAME_RECORD*>(SendMessageA(g_hMainWnd, BAR_QUERY_GAME_RECORD, 0, 0));
    ASSERT_NE(nullptr, kept);
    EXPECT_STREQ("Test server", kept->info);
    CloseStandIns("Quake 2");

    // Within the grace: a failed start changes nothing, a location command always asks.
    {
        BoxAnswerer answerer;
        Command(CMD_LAUNCH_TANARUS);
        ASSERT_EQ(1u, answerer.Seen().size());
        EXPECT_EQ(0u, answerer.Seen()[0].text.find("Error launching (Tanarus)"));
    }
    EXPECT_EQ(600, Session().Status());
    EXPECT_EQ(launched, Session().GameLaunchTick());
    const std::string ini = folder.Read("KVX.ini");
    std::string proposed;
    std::thread again = Answer("Choose Quake II Location", "", &proposed);
    Command(CMD_LOCATE_QUAKE2);
    again.join();
    EXPECT_EQ("quake2.exe", proposed);
    EXPECT_EQ(ini, folder.Read("KVX.ini")) << "a cancel stores nothing";

    // A game gets ten seconds to open its window: its status stands until then, gone or not.
    while (GetTickCount() - launched < 9500) Sleep(50);
    Tick();
    EXPECT_EQ(600, Session().Status()) << "within the grace";
    while (GetTickCount() - launched < 10000) Sleep(50);
    Tick();
    EXPECT_EQ(300, Session().Status()) << "its window has gone: back to Online";
    Session().SetStatus(620);
    Tick();
    EXPECT_EQ(620, Session().Status()) << "Tanarus is not watched";
}

} // namespace
