// The real bar on a real window: the skin chosen at start and stored at exit, its paint
// (the pieces, then the texts, icons and the contact list at their places, the bottom-piece
// places anchored), what a resize or a status change repaints, and the notification-area
// icon's tooltip and blinking.
#include "app/Globals.h"
#include "menus/CommandIds.h"
#include "records/Bar.h"
#include "session/Session.h"
#include "skin/Painter.h"
#include "BarFixture.h"
#include "support/TrayTip.h"
#include "support/Wait.h"

namespace {

using BarPaintTest = BarFixture;

TEST_F(BarPaintTest, TheStoredSkinIsUsedAndTheOneInUseIsStoredAtExit)
{
    for (const char* skin : {"HiDef", "LoDef", "Night-Blue"}) Skin(skin);
    const struct {
        const char* stored;
        const char* used;
    } rows[] = {{nullptr, "HiDef"}, {"Night-Blue", "Night-Blue"}, {"Removed", "LoDef"}, {"none", "HiDef"}};
    for (const auto& row : rows) {
        MakeBar(row.stored ? std::string("[Window]\r\nSkinM=") + row.stored + "\r\n" : "");
        EXPECT_STREQ(row.used, bar->Painter()->Skin().Name()) << (row.stored ? row.stored : "no SkinM");
        DeleteBar();
        EXPECT_EQ(row.used, Setting("SkinM"));
    }
    // With no skin at all nothing is stored: an empty name would not load next time either.
    RemoveTree(folder.File("skins"));
    MakeBar("[Window]\r\nSkinM=Night-Blue\r\n");
    EXPECT_STREQ("", bar->Painter()->Skin().Name());
    DeleteBar();
    EXPECT_EQ("Night-Blue", Setting("SkinM"));
}

TEST_F(BarPaintTest, TextsIconsAndTheListGoOverTheSkinAndEveryResizeOrStatusChangeRepaintsItsPart)
{
    Skin("HiDef");
    MakeBar("[User]\r\nID=4242\r\n");
    Show(300);
    EXPECT_EQ(kTopColour, At(50, 5));
    EXPECT_EQ(kBottomColour, At(5, 250)) << "the bottom piece at 300 - 60";
    EXPECT_TRUE(Shows({100, 269, 187, 289}, kRed)) << "Offline in red, moved down with the bottom piece";
    EXPECT_EQ(kDoubleIconColour, At(80, 275)) << "its icon at left + 5, top + 2";
    EXPECT_FALSE(Shows({100, 29, 187, 49}, kRed)) << "nothing at the unanchored place";
    EXPECT_TRUE(Shows({13, 6, 103, 20}, bar->IsActive() ? kYellow : kGrey)) << "the account number";
    for (const LONG x : {15, 167, 39})
        EXPECT_TRUE(At(x, 92) == kDoubleIconColour && At(x, 91) == kTopColour) << "icon at left + 3, top + 3: " << x;
    EXPECT_TRUE(Recorder::Get().Has("AR_Icon(\"Launch\")")) << "the games' button has its own icon";
    EXPECT_EQ(1, Recorder::Get().Count("RL_Paint"));
    EXPECT_TRUE(Recorder::Get().Has("RL_Paint(12, 124, 167, 257)")) << "the list ends 43 above the bottom";

    // Taller, then docked (moved and made taller): repainted whole each time.
    SetWindowPos(g_hMainWnd, nullptr, 0, 0, 199, 500, SWP_NOMOVE | SWP_NOZORDER);
    UpdateWindow(g_hMainWnd);
    EXPECT_EQ(kTopColour, At(5, 250)) << "where the bottom piece was, middle tiles now";
    EXPECT_EQ(kBottomColour, At(5, 450));
    SendMessageA(g_hMainWnd, WM_COMMAND, 19, 0);
    UpdateWindow(g_hMainWnd);
    EXPECT_EQ(kTopColour, At(5, 450));

    RECT client, update = {};
    GetClientRect(g_hMainWnd, &client);
    ValidateRect(g_hMainWnd, nullptr);
    SendMessageA(g_hMainWnd, BAR_STATUS_CHANGED, 0, 0);
    ASSERT_TRUE(GetUpdateRect(g_hMainWnd, &update, FALSE));
    const RECT status = {70, 29 + client.bottom - 60, 187, 48 + client.bottom - 60};
    EXPECT_TRUE(EqualRect(&status, &update)) << "the status area only, anchored: " << update.top;

    MEASUREITEMSTRUCT item = {ODT_MENU, 0, 9, 0, 0, 0};
    EXPECT_EQ(TRUE, SendMessageA(g_hMainWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_TRUE(item.itemHeight == 20 && item.itemWidth > 20);
}

TEST_F(BarPaintTest, TheTrayTipFollowsTheStatusAndAPendingEventBlinksUntilItIsTaken)
{
    MakeBar("[User]\r\nID=4242\r\n");
    Create(300);
    EXPECT_TRUE(TrayTipShows("KVX (Connecting)", 3000)) << "no account number before the login";
    bar->Session()->SetStatus(300);
    bar->Session()->SetStatus(610);
    EXPECT_TRUE(TrayTipShows("KVX (Unreal) [4242]", 3000));
    Recorder::Get().Reset();
    Recorder::Get().Script().eventPending = TRUE;
    for (int tick = 0; tick < 6; ++tick) {
        if (tick == 4) Recorder::Get().Script().eventPending = FALSE;
        SendMessageA(g_hMainWnd, WM_TIMER, 60, 0);
        EXPECT_TRUE(tick != 3 || TrayTipShows("KVX Message from 10001", 3000));
    }
    std::vector<std::string> icons; // the tray's icons in order
    for (const std::string& call : Recorder::Get().Calls())
        if (call.rfind("AR_Image(", 0) == 0) icons.push_back(call.substr(10, call.find('"', 10) - 10));
    EXPECT_EQ((std::vector<std::string>{"Blank", "Msg", "Blank", "Msg", "Unreal"}), icons)
        << "the status icon comes back at the next tick, once";
    EXPECT_TRUE(TrayTipShows("KVX (Unreal) [4242]", 3000));

    // As at shutdown: the window lives on, so only the client's own calls change the icon.
    const HWND window = g_hMainWnd;
    g_hMainWnd = nullptr;
    bar->Session()->SetStatus(CMD_OFFLINE);
    EXPECT_TRUE(TrayTipShows("KVX (Offline)", 3000)) << "the last tip reaches the icon";
    DeleteBar();
    EXPECT_TRUE(WaitFor([] { return !TrayTipShows("KVX (Offline)", 0); }, 3000)) << "the icon is gone";
    g_hMainWnd = window;
}

} // namespace
