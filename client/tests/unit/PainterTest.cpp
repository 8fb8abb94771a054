// The painter on a real window: the skin it switches to, and the texts, icons, outlines and
// menu items it draws, read back pixel by pixel.
#include <algorithm>
#include <memory>
#include <string>

#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "menus/CommandIds.h"
#include "menus/MenuData.h"
#include "skin/Painter.h"
#include "support/InFolder.h"
#include "support/MessageBoxes.h"
#include "support/Pixels.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0), kYellow = RGB(255, 255, 0), kGrey = RGB(128, 128, 128),
               kGreen = RGB(0, 255, 0), kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 255);
const RECT kAccount = {13, 6, 103, 20}, kStatus = {70, 29, 187, 48}, kStatusText = {100, 29, 187, 48},
           kStatusIcon = {75, 31, 91, 47};

class PainterTest : public InScratchFolder {
protected:
    PainterTest()
    {
        g_hInstance = GetModuleHandleA(nullptr);
        CreateDirectoryA("skins", nullptr);
        Skin("Black", kBlack);
        char name[CSkin::kNameSize] = "Black";
        painter.SetSkin(name);
        Recorder::Get().Reset();
    }
    void Skin(const std::string& name, COLORREF colour)
    {
        for (const char* piece : {"-T.bmp", "-M.bmp", "-B.bmp"})
            folder.Write("skins\\" + name + piece, SolidBmp(199, 60, colour));
    }
    // A bar-sized window on which `draw` runs inside the painter's paint cycle.
    template <typename Draw> void Paint(bool active, Draw draw)
    {
        Recorder::Get().Reset();
        window.reset();
        window = std::make_unique<PaintWindow>(199, 200, [this, active, draw](HWND handle) {
            dc = painter.Begin(handle, active);
            draw();
            painter.End();
        });
    }
    bool Shows(const RECT& rect, COLORREF colour) const { return window->Shows(rect, colour); }
    static bool Called(const std::string& call)
    {
        const std::vector<std::string>& calls = Recorder::Get().Calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    CPainter painter;
    std::unique_ptr<PaintWindow> window;
    HDC dc = nullptr;
};

TEST_F(PainterTest, SkinsSwitchOnlyToWhatLoadsAndTheMenuPicksByListPosition)
{
    BoxAnswerer boxes;
    char missing[CSkin::kNameSize] = "Gone";
    EXPECT_FALSE(painter.SetSkin(missing));
    EXPECT_STREQ("Black", painter.Skin().Name()) << "a skin that does not load leaves the current one";
    Skin("HiGloss", kWhite);
    char high[CSkin::kNameSize] = "HiGloss";
    ASSERT_GE(painter.ColourDepth(), 15) << "this test display has true colour";
    EXPECT_TRUE(painter.SetSkin(high));
    EXPECT_STREQ("HiGloss", high) << "no low-colour replacement on true colour";
    EXPECT_TRUE(boxes.Seen().empty());
    CSkin list;
    list.Enumerate();
    ASSERT_EQ(2u, list.NameCount());
    EXPECT_TRUE(painter.SelectSkin(CMD_SKIN_FIRST + 1));
    EXPECT_STREQ(list.NameAt(1), painter.Skin().Name());
    EXPECT_FALSE(painter.SelectSkin(CMD_SKIN_FIRST + 2)) << "beyond the list: the files went away";
    EXPECT_STREQ(list.NameAt(1), painter.Skin().Name());
}

TEST_F(PainterTest, TheStatusShowsItsIconAndColourGreyWhenInactiveAndTheAccountNumberOrNA)
{
    const struct {
        WORD status;
        bool active;
        COLORREF text;
        const char* icon; // none: no icon
    } rows[] = {
        {100, true, kRed, "Off"},        {200, true, kYellow, "On"},      {300, true, kGreen, "On"},
        {300, false, kGrey, "On"},       {400, true, kYellow, "Away"},    {615, true, kYellow, "Subspace"},
        {630, true, kYellow, "Fireteam"}, {625, true, kYellow, nullptr}, {700, true, kYellow, nullptr},
    };
    for (const auto& row : rows) {
        Paint(row.active, [&] { painter.DrawStatus(row.status, kStatus); });
        EXPECT_TRUE(Shows(kStatusText, row.text)) << row.status;
        EXPECT_EQ(row.icon != nullptr, Shows(kStatusIcon, kDoubleIconColour)) << row.status;
        EXPECT_EQ(row.icon ? 1 : 0, Recorder::Get().Count("AR_Icon")) << row.status;
        if (row.icon) {
            EXPECT_TRUE(Called("AR_Icon(\"" + std::string(row.icon) + "\")")) << row.status;
        }
    }

    std::vector<std::vector<COLORREF>> shown;
    for (const LONG account : {12345L, 0L, -7L, 1L}) {
        Paint(true, [&] { painter.DrawAccountNumber(account, kAccount); });
        shown.push_back(window->Pixels(kAccount));
    }
    EXPECT_TRUE(Shows(kAccount, kYellow));
    EXPECT_EQ(shown[1], shown[2]) << "0 and below read N/A";
    EXPECT_NE(shown[1], shown[0]);
    EXPECT_NE(shown[1], shown[3]) << "1 is an account";
    Paint(false, [&] { painter.DrawAccountNumber(12345, kAccount); });
    EXPECT_TRUE(Shows(kAccount, kGrey));
    EXPECT_FALSE(Shows(kAccount, kYellow));
}

TEST_F(PainterTest, ThreeButtonsHaveIconsAndAnOutlineIsSolidRedPressedAndDottedGreyHovered)
{
    const RECT launch = {12, 89, 34, 111}, other = {100, 89, 122, 111};
    Paint(true, [&] {
        painter.DrawButtonIcon(CMD_GAME_MENU, launch);
        painter.DrawButtonIcon(CMD_MAIN_MENU, other);
    });
    EXPECT_EQ(kDoubleIconColour, window->At(15, 92)) << "at left + 3, top + 3";
    EXPECT_EQ(kBlack, window->At(15, 91));
    EXPECT_FALSE(Shows(other, kDoubleIconColour));
    EXPECT_TRUE(Called("AR_Icon(\"Launch\")"));

    const RECT edge = {12, 95, 13, 105}, inside = {16, 93, 30, 107};
    Paint(true, [&] { painter.DrawHighlight(dc, launch, true); });
    EXPECT_TRUE(Shows(edge, kRed));
    EXPECT_FALSE(Shows(edge, kBlack)) << "solid";
    EXPECT_FALSE(Shows(inside, kRed));
    Paint(true, [&] { painter.DrawHighlight(dc, launch, false); });
    EXPECT_TRUE(Shows(edge, kGrey));
    EXPECT_TRUE(Shows(edge, kBlack)) << "dotted";
    EXPECT_FALSE(Shows(inside, kGrey));
}

TEST_F(PainterTest, MenuItemsAreDrawnByTheirIdAndDataAndMeasuredWiderAsSubmenus)
{
    const RECT icon = {5, 2, 21, 18}, label = {26, 0, 150, 20};
    char listed[] = "BLACK", other[] = "Blacker";
    const struct {
        UINT id;
        ULONG_PTR data;
        bool selected;
        COLORREF text, background; // at the far end of the item, past a short label
        const char* icon; // "" for the system's information icon, null for none
    } rows[] = {
        {CMD_AWAY, 0, false, kYellow, kBlack, "Away"},
        {CMD_AWAY, 0, true, kWhite, kBlue, "Away"},
        {CMD_SKINS, MENU_SUBMENU, false, kGreen, kBlack, nullptr},
        {CMD_NA, 0, false, kYellow, CLR_INVALID, "Na"},
        {CMD_ONTOP, MENU_CHECKED, false, kYellow, CLR_INVALID, "Check"},
        {CMD_ONTOP, 0, false, kYellow, CLR_INVALID, nullptr},
        {CMD_ONTOP, 2, false, kYellow, CLR_INVALID, nullptr},
        {CMD_INFO, 0, false, kYellow, CLR_INVALID, ""},
        {CMD_SKIN_FIRST + 3, reinterpret_cast<ULONG_PTR>(listed), false, kYellow, CLR_INVALID, "Check"},
        {CMD_SKIN_FIRST, reinterpret_cast<ULONG_PTR>(other), false, kYellow, CLR_INVALID, nullptr},
    };
    for (const auto& row : rows) {
        Recorder::Get().Reset();
        PaintWindow menu(199, 40, [](HWND handle) { ValidateRect(handle, nullptr); });
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_MENU;
        item.itemID = row.id;
        item.itemData = row.data;
        item.itemState = row.selected ? ODS_SELECTED : 0;
        item.hDC = GetDC(menu.Handle());
        item.rcItem = {0, 0, 150, 20};
        EXPECT_TRUE(painter.DrawMenuItem(&item));
        ReleaseDC(menu.Handle(), item.hDC);
        SCOPED_TRACE("item " + std::to_string(row.id));
        EXPECT_TRUE(menu.Shows(label, row.text));
        EXPECT_TRUE(row.background == CLR_INVALID || row.background == menu.At(145, 10));
        EXPECT_EQ(1, Recorder::Get().Count("WK_PaintMenuNC")) << "the frame is the window library's";
        const bool named = row.icon && *row.icon;
        EXPECT_EQ(named, menu.Shows(icon, kDoubleIconColour));
        EXPECT_EQ(named ? 1 : 0, Recorder::Get().Count("AR_Icon"));
        if (named) {
            EXPECT_TRUE(Called("AR_Icon(\"" + std::string(row.icon) + "\")"));
        }
        const std::vector<COLORREF> drawn = menu.Pixels(icon);
        const bool system = row.icon && !named;
        EXPECT_TRUE(!system || std::any_of(drawn.begin(), drawn.end(), [](COLORREF c) { return c != kBlack; }))
            << "the system's information icon";
    }

    MEASUREITEMSTRUCT plain = {ODT_MENU, 0, CMD_SKINS, 0, 0, 0}, labelled = plain, longer = plain;
    labelled.itemData = MENU_SUBMENU;
    longer.itemID = CMD_SKIN_FIRST;
    longer.itemData = reinterpret_cast<ULONG_PTR>("A much longer skin name");
    const UINT width = painter.MeasureMenuItem(&plain);
    EXPECT_GT(width, 20u);
    EXPECT_EQ(width + 10, painter.MeasureMenuItem(&labelled));
    EXPECT_GT(painter.MeasureMenuItem(&longer), width);
}

} // namespace
