// The painter on a real window (web.pal: BadFilesTest): the skin it switches to, and the
// texts, icons, outlines and menu items it draws, checked pixel by pixel.
#include <algorithm>
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
const RECT kText = {13, 6, 103, 20};
const RECT kStatus = {70, 29, 187, 48};
const RECT kStatusIcon = {75, 31, 91, 47};

class PainterTest : public InScratchFolder {
protected:
    PainterTest()
    {
        g_hInstance = GetModuleHandleA(nullptr);
        CreateDirectoryA("skins", nullptr);
        Skin("Black", kBlack);
        Recorder::Get().Reset();
    }
    void Skin(const std::string& name, COLORREF colour)
    {
        folder.Write("skins\\" + name + "-T.bmp", SolidBmp(199, 100, colour));
        folder.Write("skins\\" + name + "-M.bmp", SolidBmp(199, 10, colour));
        folder.Write("skins\\" + name + "-B.bmp", SolidBmp(199, 60, colour));
    }
    // A bar-sized window on which `draw` runs inside the painter's paint cycle.
    template <typename Draw> void Paint(CPainter& painter, bool active, Draw draw)
    {
        PaintWindow window(199, 200, [&](HWND handle) {
            dc = painter.Begin(handle, active);
            draw();
            painter.End();
        });
        last = window.Pixels({0, 0, 199, 200});
    }
    bool Shows(const RECT& rect, COLORREF colour) const
    {
        for (LONG y = rect.top; y < rect.bottom; ++y)
            for (LONG x = rect.left; x < rect.right; ++x)
                if (last[static_cast<size_t>(y * 199 + x)] == colour) return true;
        return false;
    }
    std::vector<COLORREF> Area(const RECT& rect) const
    {
        std::vector<COLORREF> area;
        for (LONG y = rect.top; y < rect.bottom; ++y)
            for (LONG x = rect.left; x < rect.right; ++x) area.push_back(last[static_cast<size_t>(y * 199 + x)]);
        return area;
    }
    static bool Called(const std::string& call)
    {
        for (const std::string& c : Recorder::Get().Calls())
            if (c == call) return true;
        return false;
    }

    std::vector<COLORREF> last;
    HDC dc = nullptr;
};

TEST_F(PainterTest, SkinsSwitchOnlyToWhatLoadsAndTheMenuPicksByListPosition)
{
    BoxAnswerer boxes;
    CPainter painter;
    char name[CSkin::kNameSize] = "Black";
    ASSERT_TRUE(painter.SetSkin(name));
    EXPECT_EQ("Black", std::string(painter.Skin().Name()));

    char missing[CSkin::kNameSize] = "Gone";
    EXPECT_FALSE(painter.SetSkin(missing));
    EXPECT_EQ("Black", std::string(painter.Skin().Name())) << "a skin that does not load leaves the current one";

    Skin("HiGloss", kWhite);
    char high[CSkin::kNameSize] = "HiGloss";
    ASSERT_GE(painter.ColourDepth(), 15) << "this test display has true colour";
    EXPECT_TRUE(painter.SetSkin(high));
    EXPECT_EQ("HiGloss", std::string(high)) << "no low-colour replacement at " << painter.ColourDepth() << " bits";
    EXPECT_TRUE(boxes.Seen().empty());

    CSkin list;
    list.Enumerate();
    ASSERT_EQ(2u, list.NameCount());
    const std::string second = list.NameAt(1);
    EXPECT_TRUE(painter.SelectSkin(CMD_SKIN_FIRST + 1));
    EXPECT_EQ(second, painter.Skin().Name());
    EXPECT_FALSE(painter.SelectSkin(CMD_SKIN_FIRST + 2)) << "beyond the list: files went away since the menu";
    EXPECT_EQ(second, painter.Skin().Name());
}

TEST_F(PainterTest, TheAccountNumberIsYellowOrGreyAndNAWithoutAnAccount)
{
    CPainter painter;
    char name[CSkin::kNameSize] = "Black";
    painter.SetSkin(name);
    Paint(painter, true, [&] { painter.DrawAccountNumber(12345, kText); });
    EXPECT_TRUE(Shows(kText, kYellow));
    const std::vector<COLORREF> number = Area(kText);
    Paint(painter, false, [&] { painter.DrawAccountNumber(12345, kText); });
    EXPECT_TRUE(Shows(kText, kGrey));
    EXPECT_FALSE(Shows(kText, kYellow));

    Paint(painter, true, [&] { painter.DrawAccountNumber(0, kText); });
    const std::vector<COLORREF> none = Area(kText);
    EXPECT_NE(number, none);
    Paint(painter, true, [&] { painter.DrawAccountNumber(-7, kText); });
    EXPECT_EQ(none, Area(kText)) << "0 and a negative number both read N/A";
    Paint(painter, true, [&] { painter.DrawAccountNumber(1, kText); });
    EXPECT_NE(none, Area(kText)) << "1 is an account";
}

TEST_F(PainterTest, TheStatusShowsItsIconAndColourAndTurnsGreyWhenInactive)
{
    CPainter painter;
    char name[CSkin::kNameSize] = "Black";
    painter.SetSkin(name);
    const RECT text = {100, 29, 187, 48};

    Paint(painter, true, [&] { painter.DrawStatus(300, kStatus); });
    EXPECT_TRUE(Shows(text, kGreen));
    EXPECT_TRUE(Shows(kStatusIcon, kDoubleIconColour));
    EXPECT_TRUE(Called("AR_Icon(\"On\")"));
    Paint(painter, false, [&] { painter.DrawStatus(300, kStatus); });
    EXPECT_TRUE(Shows(text, kGrey));
    EXPECT_FALSE(Shows(text, kGreen));
    EXPECT_TRUE(Shows(kStatusIcon, kDoubleIconColour)) << "the icon stays as it is";

    Paint(painter, true, [&] { painter.DrawStatus(100, kStatus); });
    EXPECT_TRUE(Shows(text, kRed));
    EXPECT_TRUE(Called("AR_Icon(\"Off\")"));
    Recorder::Get().Reset();
    Paint(painter, true, [&] { painter.DrawStatus(200, kStatus); });
    EXPECT_TRUE(Shows(text, kYellow));
    EXPECT_TRUE(Called("AR_Icon(\"On\")")) << "connecting shows the online icon";
    Paint(painter, true, [&] { painter.DrawStatus(615, kStatus); });
    EXPECT_TRUE(Called("AR_Icon(\"Subspace\")"));

    Recorder::Get().Reset();
    Paint(painter, true, [&] { painter.DrawStatus(700, kStatus); });
    EXPECT_EQ(0, Recorder::Get().Count("AR_Icon")) << "an unknown code has no icon";
    EXPECT_FALSE(Shows(kStatusIcon, kDoubleIconColour));
    EXPECT_TRUE(Shows(text, kYellow)) << "but says something";
}

TEST_F(PainterTest, ButtonIconsAndTheHotRegionOutline)
{
    CPainter painter;
    char name[CSkin::kNameSize] = "Black";
    painter.SetSkin(name);
    const RECT region = {12, 89, 34, 111};
    Paint(painter, true, [&] {
        painter.DrawButtonIcon(CMD_GAME_MENU, region);
        painter.DrawButtonIcon(CMD_MAIN_MENU, {100, 89, 122, 111});
    });
    EXPECT_EQ(kDoubleIconColour, last[92 * 199 + 15]) << "icon at left + 3, top + 3";
    EXPECT_EQ(kBlack, last[91 * 199 + 15]);
    EXPECT_FALSE(Shows({100, 89, 122, 111}, kDoubleIconColour)) << "only three buttons have icons";
    EXPECT_TRUE(Called("AR_Icon(\"Launch\")"));

    // The outline's left edge runs down x = 12; the inside stays as it was.
    const RECT edge = {12, 95, 13, 105};
    const RECT inside = {16, 93, 30, 107};
    Paint(painter, true, [&] { painter.DrawHighlight(dc, region, true); });
    EXPECT_TRUE(Shows(edge, kRed));
    EXPECT_FALSE(Shows(inside, kRed));
    Paint(painter, true, [&] { painter.DrawHighlight(dc, region, false); });
    EXPECT_TRUE(Shows(edge, kGrey)) << "hovered: dotted grey";
    EXPECT_TRUE(Shows(edge, kBlack)) << "dotted, not solid";
    EXPECT_FALSE(Shows(inside, kGrey));
}

class MenuItemTest : public PainterTest {
protected:
    // Draws one item, 150 x 20, at the top of a fresh window and keeps its pixels.
    void Draw(CPainter& painter, UINT id, ULONG_PTR data, bool selected)
    {
        Recorder::Get().Reset();
        PaintWindow window(199, 40, [](HWND handle) { ValidateRect(handle, nullptr); });
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_MENU;
        item.itemID = id;
        item.itemData = data;
        item.itemState = selected ? ODS_SELECTED : 0;
        item.hDC = GetDC(window.Handle());
        item.rcItem = {0, 0, 150, 20};
        EXPECT_TRUE(painter.DrawMenuItem(&item));
        ReleaseDC(window.Handle(), item.hDC);
        last = window.Pixels({0, 0, 199, 40});
        last.resize(200 * 199);
    }
    static UINT Width(CPainter& painter, UINT id, ULONG_PTR data)
    {
        MEASUREITEMSTRUCT item = {};
        item.CtlType = ODT_MENU;
        item.itemID = id;
        item.itemData = data;
        return painter.MeasureMenuItem(&item);
    }
    const RECT icon = {5, 2, 21, 18};
    const RECT label = {26, 0, 150, 20};
};

TEST_F(MenuItemTest, ItemsAreYellowOnBlackOrWhiteOnABlueBarWithTheirIcon)
{
    CPainter painter;
    Draw(painter, CMD_AWAY, 0, false);
    EXPECT_TRUE(Shows(label, kYellow));
    EXPECT_EQ(kBlack, last[10 * 199 + 145]);
    EXPECT_TRUE(Shows(icon, kDoubleIconColour));
    EXPECT_TRUE(Called("AR_Icon(\"Away\")"));
    EXPECT_EQ(1, Recorder::Get().Count("WK_PaintMenuNC")) << "the frame is the window library's";

    Draw(painter, CMD_AWAY, 0, true);
    EXPECT_TRUE(Shows(label, kWhite));
    EXPECT_EQ(kBlue, last[10 * 199 + 145]);

    Draw(painter, CMD_SKINS, MENU_SUBMENU, false);
    EXPECT_TRUE(Shows(label, kGreen)) << "a submenu item is green";
    EXPECT_FALSE(Shows(icon, kDoubleIconColour));

    Draw(painter, CMD_NA, 0, false);
    EXPECT_TRUE(Called("AR_Icon(\"Na\")")) << "the menu's N/A icon, not the status area's";
    Draw(painter, CMD_ONTOP, MENU_CHECKED, false);
    EXPECT_TRUE(Called("AR_Icon(\"Check\")"));
    Draw(painter, CMD_INFO, 0, false);
    EXPECT_EQ(0, Recorder::Get().Count("AR_Icon")) << "Info shows the system's information icon";
    const std::vector<COLORREF> info = Area(icon);
    EXPECT_NE(info.end(), std::find_if(info.begin(), info.end(), [](COLORREF c) { return c != kBlack; }))
        << "which is drawn all the same";
}

TEST_F(MenuItemTest, TheSkinInUseIsTickedWhateverItsLetterCase)
{
    CPainter painter;
    char name[CSkin::kNameSize] = "Black";
    ASSERT_TRUE(painter.SetSkin(name));
    char listed[] = "BLACK";
    Draw(painter, CMD_SKIN_FIRST + 3, reinterpret_cast<ULONG_PTR>(listed), false);
    EXPECT_TRUE(Called("AR_Icon(\"Check\")"));
    EXPECT_TRUE(Shows(label, kYellow)) << "the text comes from the item";
    char other[] = "Blacker";
    Draw(painter, CMD_SKIN_FIRST, reinterpret_cast<ULONG_PTR>(other), false);
    EXPECT_EQ(0, Recorder::Get().Count("AR_Icon"));
}

TEST_F(MenuItemTest, ASubmenuItemMeasuresTenPixelsWider)
{
    CPainter painter;
    const UINT plain = Width(painter, CMD_SKINS, 0);
    EXPECT_EQ(plain + 10, Width(painter, CMD_SKINS, MENU_SUBMENU));
    EXPECT_GT(plain, 20u) << "the item text \"Skins\" has a width";
    char longer[] = "A much longer skin name";
    EXPECT_GT(Width(painter, CMD_SKIN_FIRST, reinterpret_cast<ULONG_PTR>(longer)), plain);
}

} // namespace
