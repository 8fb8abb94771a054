// Skins and the painter on real files and real windows: which skins are listed and load,
// where the pieces land at any height, and the texts, icons, outlines and menu items drawn,
// read back pixel by pixel.
#include <algorithm>
#include <functional>
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

const COLORREF kBlack = RGB(0, 0, 0), kYellow = RGB(255, 255, 0), kGrey = RGB(128, 128, 128), kGreen = RGB(0, 255, 0),
               kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 255), kTile = RGB(0, 80, 240);

class PaintTest : public InScratchFolder {
protected:
    PaintTest()
    {
        g_hInstance = GetModuleHandleA(nullptr);
        CreateDirectoryA("skins", nullptr);
        Skin("Black", 100, kBlack);
        char name[CSkin::kNameSize] = "Black";
        painter.SetSkin(name);
    }
    // Pieces of `top`, 8 and 60 rows; the middle tile's top row in kTile, the bottom in blue.
    void Skin(const std::string& name, int top, COLORREF colour)
    {
        folder.Write("skins\\" + name + "-T.bmp", SolidBmp(199, top, colour));
        folder.Write("skins\\" + name + "-M.bmp", SolidBmp(199, 8, colour, kTile));
        folder.Write("skins\\" + name + "-B.bmp", SolidBmp(199, 60, kBlue));
    }
    // A bar-sized window on which `draw` runs inside the painter's paint cycle.
    HWND Paint(bool active, const std::function<void()>& draw)
    {
        Recorder::Get().Reset();
        window.reset();
        window = std::make_unique<PaintWindow>(199, 200, [=](HWND handle) {
            dc = painter.Begin(handle, active);
            draw();
            painter.End();
        });
        return window->Handle();
    }

    CPainter painter;
    std::unique_ptr<PaintWindow> window;
    HDC dc = nullptr;
};

TEST_F(PaintTest, EachSkinIsListedOnceAndOnlyOneThatLoadsIsSwitchedTo)
{
    Skin("HiDef", 10, kGreen);
    for (const std::string& piece : {std::string("hidef-X"), std::string("Night-Blue-T"), std::string("Sample"),
                                     std::string("-T"), std::string(100, 'L') + "-T"})
        folder.Write("skins\\" + piece + ".bmp", SolidBmp(4, 4, kBlack));
    folder.Write("skins\\Other-T.txt", "not a bitmap");
    CSkin list;
    list.Enumerate();
    list.Enumerate(); // rebuilds, does not add
    std::vector<std::string> names;
    for (size_t i = 0; list.NameAt(i); ++i) names.push_back(list.NameAt(i));
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    ASSERT_EQ(3u, names.size())
        << "cut at the last dash, any letter case once; no dash, an empty or a long name: no skin";
    EXPECT_EQ("Black", names[0]);
    EXPECT_EQ(0, lstrcmpiA("HiDef", names[1].c_str()));
    EXPECT_EQ("Night-Blue", names[2]);

    BoxAnswerer boxes;
    char night[CSkin::kNameSize] = "Night-Blue", high[CSkin::kNameSize] = "HiDef";
    EXPECT_FALSE(painter.SetSkin(night)) << "only its top piece is there";
    EXPECT_STREQ("Black", painter.Skin().Name()) << "a skin that does not load leaves the current one";
    EXPECT_TRUE(painter.SetSkin(high)) << "any letter case";
    EXPECT_FALSE(painter.SelectSkin(CMD_SKIN_FIRST + 3)) << "beyond the list: the files went away";

    EXPECT_EQ(1, CSkin().Middle().Height()) << "an unloaded piece still divides";
}

TEST_F(PaintTest, MiddleTilesFillTheGapAndTheBottomPieceFollowsTheClientBottom)
{
    EXPECT_EQ(1, CSkin::MiddleTiles(175, 120, 8, 60)) << "short by less than a tile: one tile";
    EXPECT_EQ(0, CSkin::MiddleTiles(172, 120, 8, 60)) << "short by a whole tile: none";
    Skin("Tiles", 120, kRed);
    char name[CSkin::kNameSize] = "Tiles";
    ASSERT_TRUE(painter.SetSkin(name));
    HWND bar = Paint(true, [] {});
    for (const auto& row : {std::make_pair(119, kRed), std::make_pair(120, kTile), std::make_pair(128, kTile),
                            std::make_pair(139, kRed), std::make_pair(140, kBlue)})
        EXPECT_EQ(row.second, PixelAt(bar, 100, row.first)) << "y " << row.first; // the bottom over the third tile
}

TEST_F(PaintTest, TheStatusShowsItsIconAndColourGreyWhenInactiveAndTheAccountNumberOrNA)
{
    const RECT kStatus = {70, 29, 187, 48}, kText = {100, 29, 187, 48}, kIcon = {75, 31, 91, 47},
               kAccount = {13, 6, 103, 20};
    const struct {
        WORD status;
        bool active;
        COLORREF text;
        const char* icon; // none: no icon
    } rows[] = {{100, true, kRed, "Off"},         {200, true, kYellow, "On"},    {300, true, kGreen, "On"},
                {300, false, kGrey, "On"},        {400, true, kYellow, "Away"},  {615, true, kYellow, "Subspace"},
                {630, true, kYellow, "Fireteam"}, {625, true, kYellow, nullptr}, {700, true, kYellow, nullptr}};
    for (const auto& row : rows) {
        HWND bar = Paint(row.active, [&] { painter.DrawStatus(row.status, kStatus); });
        EXPECT_TRUE(Shows(bar, kText, row.text)) << row.status;
        EXPECT_EQ(row.icon != nullptr, Shows(bar, kIcon, kDoubleIconColour)) << row.status;
        EXPECT_EQ(row.icon ? 1 : 0, Recorder::Get().Count("AR_Icon")) << row.status;
        EXPECT_TRUE(!row.icon || Recorder::Get().Has("AR_Icon(\"" + std::string(row.icon) + "\")")) << row.status;
    }
    std::vector<std::vector<COLORREF>> shown;
    for (const LONG account : {0L, -7L, 1L})
        shown.push_back(Pixels(Paint(true, [&] { painter.DrawAccountNumber(account, kAccount); }), kAccount));
    EXPECT_EQ(shown[0], shown[1]) << "0 and below read N/A";
    EXPECT_NE(shown[0], shown[2]) << "1 is an account";
    EXPECT_NE(shown[2].end(), std::find(shown[2].begin(), shown[2].end(), kYellow));
    HWND inactive = Paint(false, [&] { painter.DrawAccountNumber(12345, kAccount); });
    EXPECT_TRUE(Shows(inactive, kAccount, kGrey) && !Shows(inactive, kAccount, kYellow));
}

TEST_F(PaintTest, AnOutlineIsSolidRedPressedAndDottedGreyHovered)
{
    const RECT launch = {12, 89, 34, 111}, edge = {12, 95, 13, 105}, inside = {16, 93, 30, 107};
    for (const bool pressed : {true, false}) {
        HWND bar = Paint(true, [&] { painter.DrawHighlight(dc, launch, pressed); });
        const COLORREF pen = pressed ? kRed : kGrey;
        EXPECT_TRUE(Shows(bar, edge, pen) && !Shows(bar, inside, pen));
        EXPECT_EQ(!pressed, Shows(bar, edge, kBlack)) << "dotted only while hovered";
    }
}

TEST_F(PaintTest, MenuItemsAreDrawnByTheirIdAndDataAndMeasuredWiderAsSubmenus)
{
    const RECT icon = {5, 2, 21, 18}, label = {26, 0, 150, 20};
    char listed[] = "BLACK", other[] = "Blacker";
    const struct {
        UINT id;
        ULONG_PTR data;
        bool selected;
        COLORREF text, background; // at the far end of the item, past a short label
        const char* icon;          // "" for the system's information icon, null for none
    } rows[] = {{CMD_AWAY, 0, false, kYellow, kBlack, "Away"},
                {CMD_AWAY, 0, true, kWhite, kBlue, "Away"},
                {CMD_SKINS, MENU_SUBMENU, false, kGreen, kBlack, nullptr},
                {CMD_ONTOP, MENU_CHECKED, false, kYellow, CLR_INVALID, "Check"},
                {CMD_ONTOP, 2, false, kYellow, CLR_INVALID, nullptr},
                {CMD_INFO, 0, false, kYellow, CLR_INVALID, ""},
                {CMD_SKIN_FIRST + 3, reinterpret_cast<ULONG_PTR>(listed), false, kYellow, CLR_INVALID, "Check"},
                {CMD_SKIN_FIRST, reinterpret_cast<ULONG_PTR>(other), false, kYellow, CLR_INVALID, nullptr}};
    for (const auto& row : rows) {
        HWND menu = Paint(true, [] {});
        DRAWITEMSTRUCT item = {ODT_MENU, 0,           row.id,          0,       UINT(row.selected ? ODS_SELECTED : 0),
                               nullptr,  GetDC(menu), {0, 0, 150, 20}, row.data};
        Recorder::Get().Reset();
        EXPECT_TRUE(painter.DrawMenuItem(&item));
        ReleaseDC(menu, item.hDC);
        SCOPED_TRACE("item " + std::to_string(row.id));
        EXPECT_TRUE(Shows(menu, label, row.text));
        EXPECT_TRUE(row.background == CLR_INVALID || row.background == PixelAt(menu, 145, 10));
        EXPECT_EQ(1, Recorder::Get().Count("WK_PaintMenuNC")) << "the frame is the window library's";
        const bool named = row.icon && *row.icon;
        EXPECT_EQ(named, Shows(menu, icon, kDoubleIconColour));
        EXPECT_TRUE(!named || Recorder::Get().Has("AR_Icon(\"" + std::string(row.icon) + "\")"));
        EXPECT_EQ(named ? 1 : 0, Recorder::Get().Count("AR_Icon"));
        const std::vector<COLORREF> drawn = Pixels(menu, icon);
        EXPECT_TRUE(!row.icon || named || std::count(drawn.begin(), drawn.end(), kBlack) < 256) << "the system's icon";
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
