// The games as the bar runs them, with the real open-file dialog, the real shell and the
// stand-in games: choosing a location, launching, joining a server, noticing the end of a
// game, and reading a running Subspace.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "app/Globals.h"
#include "games/GameRecord.h"
#include "games/GameTable.h"
#include "session/Session.h"
#include "BarFixture.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"

namespace {

const int kFileNameBox = 1148; // the open-file dialog's file name control

std::string Location(const char* game, const std::string& file)
{
    return "[" + std::string(game) + "]\r\nDir=" + StandInFolder() + "\\\r\nFile=" + file + "\r\n";
}

class GamesTest : public BarFixture {
protected:
    ~GamesTest() override
    {
        for (const char* game : {"Quake 2", "SubSpaceClass", "KVXStandInUnreal", "KVXStandInTanarus"})
            CloseStandIns(game);
    }
    CSession& Online(const std::string& ini)
    {
        MakeBar(ini);
        Create(300);
        bar->Session()->SetStatus(300);
        return *bar->Session();
    }
    // Answers the location dialog titled `title` from another thread: types `file` and
    // picks it, or cancels when `file` is empty. Keeps what the dialog proposed.
    std::thread Answer(const std::string& title, const std::string& file, std::string* proposed = nullptr)
    {
        return std::thread([=] {
            const SeenBox dialog = FindMessageBox(GetCurrentProcessId(), title.c_str(), 10000);
            if (!dialog.window) return;
            char shown[MAX_PATH] = "";
            GetDlgItemTextA(dialog.window, kFileNameBox, shown, sizeof shown);
            if (proposed) *proposed = shown;
            if (!file.empty()) SetDlgItemTextA(dialog.window, kFileNameBox, file.c_str());
            PostMessageA(dialog.window, WM_COMMAND, file.empty() ? IDCANCEL : IDOK, 0);
        });
    }
};

TEST_F(GamesTest, TheTableKnowsLaunchAndLocationCommandsAndStatusCodesOnly)
{
    char name[kGameNameSize] = "unset";
    EXPECT_EQ(600, LookupGame(47, name));
    EXPECT_STREQ("Quake II", name);
    EXPECT_EQ(630, LookupGame(59, name));
    EXPECT_STREQ("Fireteam", name);
    EXPECT_EQ(615, LookupGame(615, name));
    strcpy(name, "unset");
    for (WORD other : {31, 60, 625, 0, 300}) EXPECT_EQ(0, LookupGame(other, name)) << other;
    EXPECT_STREQ("unset", name);
}

TEST_F(GamesTest, TheLocationDialogStoresTheFolderWithItsBackslashAndProposesItNextTime)
{
    CSession& session = Online("");
    std::thread pick = Answer("Choose Quake II Location", StandInFolder() + "\\quake2.exe");
    EXPECT_TRUE(session.ChooseGameLocation(48));
    pick.join();
    const std::string ini = folder.Read("KVX.ini");
    EXPECT_NE(std::string::npos, ini.find("[Quake II]\r\nFile=quake2.exe\r\nDir=" + StandInFolder() + "\\\r\n")) << ini;

    std::string proposed;
    std::thread cancel = Answer("Choose Quake II Location", "", &proposed);
    EXPECT_FALSE(session.ChooseGameLocation(48)) << "a location command always asks, and a cancel stores nothing";
    cancel.join();
    EXPECT_EQ("quake2.exe", proposed);
    EXPECT_EQ(ini, folder.Read("KVX.ini"));
}

TEST_F(GamesTest, AJoinRequestStartsQuake2OnTheServerAndTheEndOfTheGameIsNoticed)
{
    CSession& session = Online(Location("Quake II", "quake2.exe"));
    GAME_RECORD record = {};
    record.addr = inet_addr("10.0.0.5");
    record.port = 910;
    strcpy(record.info, "Test server");
    SendMessageA(g_hMainWnd, WM_USER + 17, reinterpret_cast<WPARAM>(&record), 600);
    EXPECT_EQ("Arguments: +connect 10.0.0.5:910\r\nFolder: " + StandInFolder(), StandInText("Quake 2"));
    EXPECT_EQ(600, session.Status());
    const auto* kept = reinterpret_cast<const GAME_RECORD*>(SendMessageA(g_hMainWnd, WM_USER + 19, 0, 0));
    ASSERT_NE(nullptr, kept);
    EXPECT_STREQ("Test server", kept->info);

    CloseStandIns("Quake 2");
    SendMessageA(g_hMainWnd, WM_TIMER, 70, 0);
    EXPECT_EQ(600, session.Status()) << "a game gets ten seconds to open its window";
    while (GetTickCount() - session.GameLaunchTick() < 10000) Sleep(200);
    ValidateRect(g_hMainWnd, nullptr);
    SendMessageA(g_hMainWnd, WM_TIMER, 70, 0);
    EXPECT_EQ(300, session.Status()) << "its window has gone: back to Online";
    RECT update;
    EXPECT_TRUE(GetUpdateRect(g_hMainWnd, &update, FALSE));

    session.SetStatus(620);
    SendMessageA(g_hMainWnd, WM_TIMER, 70, 0);
    EXPECT_EQ(620, session.Status()) << "Tanarus is not watched: its status stays";
}

TEST_F(GamesTest, ARecordQueryReadsTheRunningSubspaceAndTagsItsTitleOnce)
{
    CSession& session = Online(Location("Subspace", "subspace.exe"));
    SendMessageA(g_hMainWnd, WM_COMMAND, 41, 0);
    ASSERT_EQ("Arguments: \r\nFolder: " + StandInFolder(), StandInText("SubSpaceClass"))
        << "no arguments, and the game's data in place";
    ASSERT_EQ(615, session.Status());
    const auto* record = reinterpret_cast<const GAME_RECORD*>(SendMessageA(g_hMainWnd, WM_USER + 19, 0, 0));
    ASSERT_NE(nullptr, record);
    EXPECT_STREQ("KVX test arena", record->info);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(i + 1, record->extra[i]);
    HWND game = FindWindowA("SubSpaceClass", nullptr);
    char title[100] = "";
    GetWindowTextA(game, title, sizeof title);
    EXPECT_STREQ("SubSpace [KVX]", title);
    SendMessageA(g_hMainWnd, WM_USER + 19, 0, 0);
    GetWindowTextA(game, title, sizeof title);
    EXPECT_STREQ("SubSpace [KVX]", title) << "never tagged twice";
}

TEST_F(GamesTest, AFailedStartIsReportedAndACancelledLocationDropsTheLaunchSilently)
{
    CSession& session = Online(Location("Tanarus", "missing.exe"));
    {
        BoxAnswerer answerer;
        SendMessageA(g_hMainWnd, WM_COMMAND, 45, 0);
        const std::vector<SeenBox> seen = answerer.Seen();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("KVX Error", seen[0].caption);
        EXPECT_EQ(0u, seen[0].text.find("Error launching (Tanarus)")) << seen[0].text;
    }
    EXPECT_EQ(300, session.Status());
    EXPECT_EQ(0u, session.GameLaunchTick());

    std::thread cancel = Answer("Choose Unreal Location", "");
    SendMessageA(g_hMainWnd, WM_COMMAND, 43, 0);
    cancel.join();
    EXPECT_EQ(300, session.Status()) << "nothing started";
    std::thread pick = Answer("Choose Unreal Location", StandInFolder() + "\\unreal.exe");
    SendMessageA(g_hMainWnd, WM_COMMAND, 43, 0);
    pick.join();
    EXPECT_EQ("Arguments: \r\nFolder: " + StandInFolder(), StandInText("KVXStandInUnreal")) << "started at once";
    EXPECT_EQ(610, session.Status());
}

} // namespace
