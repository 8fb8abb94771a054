// The bar's skin choice at start and exit, and its paint on a real window: the pieces,
// then the texts, the icons and the contact list on top, the bottom-piece places anchored.
#include <string>

#include "app/Globals.h"
#include "app/Settings.h"
#include "bar/Bar.h"
#include "doubles/Recorder.h"
#include "skin/Painter.h"
#include "BarFixture.h"

namespace {

using BarPaintTest = BarFixture;

TEST_F(BarPaintTest, TheStoredSkinIsUsedAndTheOneInUseIsStoredAtExit)
{
    Skin("HiDef");
    Skin("LoDef");
    Skin("Night-Blue");
    MakeBar("");
    EXPECT_EQ("HiDef", std::string(bar->Painter()->Skin().Name())) << "no choice stored";
    DeleteBar();
    EXPECT_EQ("HiDef", StoredSkin());

    MakeBar("[Window]\r\nSkinM=Night-Blue\r\n");
    EXPECT_EQ("Night-Blue", std::string(bar->Painter()->Skin().Name()));
    DeleteBar();

    MakeBar("[Window]\r\nSkinM=Removed\r\n");
    EXPECT_EQ("LoDef", std::string(bar->Painter()->Skin().Name())) << "a stored skin that is gone falls back";
    DeleteBar();
    EXPECT_EQ("LoDef", StoredSkin()) << "what is stored is the skin in use";

    MakeBar("[Window]\r\nSkinM=none\r\n");
    EXPECT_EQ("HiDef", std::string(bar->Painter()->Skin().Name()));
}

TEST_F(BarPaintTest, WithNoSkinAtAllTheStoredChoiceIsKept)
{
    MakeBar("[Window]\r\nSkinM=Night-Blue\r\n");
    EXPECT_STREQ("", bar->Painter()->Skin().Name());
    DeleteBar();
    EXPECT_EQ("Night-Blue", StoredSkin()) << "nothing loaded, nothing to store";
}

TEST_F(BarPaintTest, TextsIconsAndTheContactListArePaintedOverTheSkinAtTheirPlaces)
{
    Skin("HiDef");
    MakeBar("[User]\r\nID=4242\r\n");
    Show(300);
    EXPECT_EQ(kTopColour, At(50, 5));
    EXPECT_EQ(kBottomColour, At(5, 250)) << "bottom piece at 300 - 60";
    EXPECT_TRUE(Shows({100, 269, 187, 289}, kRed)) << "Offline in red, 240 pixels down with the bottom piece";
    EXPECT_EQ(kDoubleIconColour, At(80, 275)) << "its icon at left + 5, top + 2";
    EXPECT_FALSE(Shows({100, 29, 187, 49}, kRed)) << "nothing at the unanchored place";
    EXPECT_TRUE(Shows({13, 6, 103, 20}, bar->IsActive() ? RGB(255, 255, 0) : kGrey)) << "the account number";
    for (const POINT& icon : {POINT{15, 92}, POINT{167, 92}, POINT{39, 92}})
        EXPECT_EQ(kDoubleIconColour, At(icon.x, icon.y)) << "button icon at " << icon.x;
    EXPECT_EQ(1, Recorder::Get().Count("RL_Paint")) << "one paint, one contact list";
    bool handedOn = false;
    for (const std::string& call : Recorder::Get().Calls()) handedOn |= call == "RL_Paint(12, 124, 167, 257)";
    EXPECT_TRUE(handedOn) << "the list ends 43 pixels above the bottom";
}

TEST_F(BarPaintTest, ATallerBarIsRepaintedWholeWithItsBottomPieceMovedDown)
{
    Skin("HiDef");
    MakeBar("");
    Show(300);
    ASSERT_EQ(kBottomColour, At(5, 250));
    SetWindowPos(g_hMainWnd, nullptr, 0, 0, 199, 500, SWP_NOMOVE | SWP_NOZORDER);
    UpdateWindow(g_hMainWnd);
    EXPECT_EQ(kTopColour, At(5, 250)) << "where the bottom piece was, middle tiles now";
    EXPECT_EQ(kBottomColour, At(5, 450));

    SendMessageA(g_hMainWnd, WM_COMMAND, 19, 0); // docked at the left: moved and made taller
    UpdateWindow(g_hMainWnd);
    EXPECT_EQ(kTopColour, At(5, 450)) << "moved and taller, repainted whole";
}

TEST_F(BarPaintTest, AStatusChangeRepaintsTheAnchoredStatusAreaOnly)
{
    Skin("HiDef", 50);
    MakeBar("");
    Show(300);
    ValidateRect(g_hMainWnd, nullptr);
    SendMessageA(g_hMainWnd, WM_USER + 7, 0, 0);
    RECT update = {};
    ASSERT_TRUE(GetUpdateRect(g_hMainWnd, &update, FALSE));
    EXPECT_EQ(70, update.left);
    EXPECT_EQ(29 + 250, update.top) << "moved by the height less the bottom piece's";
    EXPECT_EQ(187, update.right);
    EXPECT_EQ(48 + 250, update.bottom);

    ValidateRect(g_hMainWnd, nullptr);
    EXPECT_EQ(0, SendMessageA(g_hMainWnd, WM_QUERYNEWPALETTE, 0, 0)) << "a true-colour display realises nothing";
    SendMessageA(g_hMainWnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(g_hMainWnd), 0);
    EXPECT_FALSE(GetUpdateRect(g_hMainWnd, &update, FALSE)) << "and repaints nothing";
}

TEST_F(BarPaintTest, OnlyMenuItemsAreMeasuredAndTheyAreTwentyHigh)
{
    Skin("HiDef");
    MakeBar("");
    Show(300);
    MEASUREITEMSTRUCT item = {};
    item.CtlType = ODT_MENU;
    item.itemID = 9;
    EXPECT_EQ(TRUE, SendMessageA(g_hMainWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(20u, item.itemHeight);
    EXPECT_GT(item.itemWidth, 20u);
    MEASUREITEMSTRUCT button = {};
    button.CtlType = ODT_BUTTON;
    EXPECT_EQ(TRUE, SendMessageA(g_hMainWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(0u, button.itemHeight);
}

} // namespace
