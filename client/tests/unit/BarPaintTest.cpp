// The real bar on a real window: the skin chosen at start and stored at exit, its paint
// (the pieces, then the texts, icons and the contact list at their places, the bottom-piece
// places anchored), what a resize or a status change repaints, and the banner's steps.
#include <algorithm>
#include <string>

#include "app/Globals.h"
#include "bar/Bar.h"
#include "doubles/Recorder.h"
#include "session/Session.h"
#include "skin/Painter.h"
#include "BarFixture.h"
#include "support/Pixels.h"

namespace {

using BarPaintTest = BarFixture;

TEST_F(BarPaintTest, TheStoredSkinIsUsedAndTheOneInUseIsStoredAtExit)
{
    const struct {
        const char* stored;
        const char* used;
    } rows[] = {
        {nullptr, "HiDef"}, {"Night-Blue", "Night-Blue"}, {"Removed", "LoDef"}, {"none", "HiDef"},
    };
    for (const auto& row : rows) {
        RemoveTree(folder.File("skins"));
        CreateDirectoryA("skins", nullptr);
        for (const char* skin : {"HiDef", "LoDef", "Night-Blue"}) Skin(skin);
        MakeBar(row.stored ? std::string("[Window]\r\nSkinM=") + row.stored + "\r\n" : "");
        EXPECT_STREQ(row.used, bar->Painter()->Skin().Name()) << (row.stored ? row.stored : "no SkinM");
        DeleteBar();
        EXPECT_EQ(row.used, StoredSkin());
    }
    // With no skin at all nothing is stored: an empty name would not load next time either.
    RemoveTree(folder.File("skins"));
    MakeBar("[Window]\r\nSkinM=Night-Blue\r\n");
    EXPECT_STREQ("", bar->Painter()->Skin().Name());
    DeleteBar();
    EXPECT_EQ("Night-Blue", StoredSkin());
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
    EXPECT_TRUE(Shows({13, 6, 103, 20}, bar->IsActive() ? RGB(255, 255, 0) : kGrey)) << "the account number";
    for (const POINT& icon : {POINT{15, 92}, POINT{167, 92}, POINT{39, 92}})
        EXPECT_EQ(kDoubleIconColour, At(icon.x, icon.y)) << "button icon at " << icon.x;
    EXPECT_EQ(1, Recorder::Get().Count("RL_Paint"));
    const std::vector<std::string>& calls = Recorder::Get().Calls();
    EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "RL_Paint(12, 124, 167, 257)")) << "43 above the bottom";

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
    SendMessageA(g_hMainWnd, WM_USER + 7, 0, 0);
    ASSERT_TRUE(GetUpdateRect(g_hMainWnd, &update, FALSE));
    const RECT status = {70, 29 + client.bottom - 60, 187, 48 + client.bottom - 60};
    EXPECT_TRUE(EqualRect(&status, &update)) << "the status area only, anchored: " << update.top;

    ValidateRect(g_hMainWnd, nullptr);
    EXPECT_EQ(0, SendMessageA(g_hMainWnd, WM_QUERYNEWPALETTE, 0, 0)) << "true colour realises nothing";
    SendMessageA(g_hMainWnd, WM_PALETTECHANGED, 0, 0);
    EXPECT_FALSE(GetUpdateRect(g_hMainWnd, &update, FALSE)) << "and repaints nothing";

    MEASUREITEMSTRUCT item = {ODT_MENU, 0, 9, 0, 0, 0}, button = {ODT_BUTTON, 0, 9, 0, 0, 0};
    EXPECT_EQ(TRUE, SendMessageA(g_hMainWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(20u, item.itemHeight);
    EXPECT_GT(item.itemWidth, 20u);
    EXPECT_EQ(TRUE, SendMessageA(g_hMainWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(0u, button.itemHeight) << "only menu items are measured";
}

TEST_F(BarPaintTest, TheBannerStepsOnEachTickBelowAGameStatusAndStandsStillFromIt)
{
    const COLORREF banners[] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};
    CreateDirectoryA("ads", nullptr);
    for (int n = 0; n < 3; ++n) folder.Write("ads\\ad00" + std::to_string(n) + ".ad", SolidBmp(176, 48, banners[n]));
    Skin("HiDef");
    MakeBar("");
    Create(300);
    bar->Session()->SetStatus(300);
    const struct {
        WORD status;
        int shown;
    } rows[] = {{300, 0}, {599, 1}, {600, 1}, {630, 1}, {300, 2}, {300, 0}}; // the first before any tick
    for (const auto& row : rows) {
        if (&row != rows) {
            bar->Session()->SetStatus(row.status);
            SendMessageA(g_hMainWnd, WM_TIMER, 20, 0);
        }
        RedrawWindow(g_hMainWnd, nullptr, nullptr, RDW_UPDATENOW);
        EXPECT_EQ(banners[row.shown], At(40, 50)) << "at status " << row.status;
    }
}

} // namespace
