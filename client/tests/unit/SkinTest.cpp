// Skins from the "skins" folder: which names are listed, which load, and where the pieces
// land on a real window of any height.
#include <algorithm>
#include <string>
#include <vector>

#include "skin/Skin.h"
#include "support/InFolder.h"
#include "support/Pixels.h"

namespace {

const COLORREF kTop = RGB(200, 0, 0), kMiddle = RGB(0, 160, 0), kTileTop = RGB(0, 80, 240), kBottom = RGB(0, 0, 200);

class SkinTest : public InScratchFolder {
protected:
    SkinTest() { CreateDirectoryA("skins", nullptr); }
    void Piece(const std::string& file, int height, COLORREF colour = kTop, COLORREF topRow = kTop)
    {
        folder.Write("skins\\" + file, SolidBmp(199, height, colour, topRow));
    }
    void Skin(const std::string& name, int top, int middle, int bottom)
    {
        Piece(name + "-T.bmp", top);
        Piece(name + "-M.bmp", middle, kMiddle, kTileTop);
        Piece(name + "-B.bmp", bottom, kBottom, kBottom);
    }
    static std::vector<std::string> Names(const CSkin& skin)
    {
        std::vector<std::string> names;
        for (size_t i = 0; skin.NameAt(i); ++i) names.push_back(skin.NameAt(i));
        return names;
    }
};

TEST_F(SkinTest, EachNameIsListedOnceCutAtItsLastDash)
{
    CSkin skin;
    skin.Enumerate();
    EXPECT_TRUE(Names(skin).empty()) << "an empty folder";
    Skin("HiDef", 10, 2, 10);
    Piece("hidef-X.bmp", 4);
    Piece("Night-Blue-T.bmp", 4);
    for (const std::string& no : {std::string("Sample"), std::string("-T"), std::string(100, 'L') + "-T"})
        Piece(no + ".bmp", 4);
    folder.Write("skins\\Other-T.txt", "not a bitmap");
    skin.Enumerate();
    skin.Enumerate();
    std::vector<std::string> names = Names(skin);
    ASSERT_EQ(2u, names.size()) << "enumerating again rebuilds the list; no dash, an empty or a long name is no skin";
    std::sort(names.begin(), names.end());
    EXPECT_EQ("Night-Blue", names[1]);
    EXPECT_EQ(0, lstrcmpiA("HiDef", names[0].c_str())) << "HiDef and hidef are one skin";
    RemoveTree(folder.File("skins"));
    skin.Enumerate();
    EXPECT_EQ(0u, skin.NameCount()) << "no folder";
}

TEST_F(SkinTest, LoadingStopsAtTheFirstMissingOrImpossiblePiece)
{
    CSkin unloaded;
    EXPECT_EQ(1, unloaded.Middle().Height()) << "an unloaded piece still divides";
    Piece("Half-T.bmp", 30);
    Piece("Half-B.bmp", 20);
    CSkin half;
    EXPECT_FALSE(half.Load("Half"));
    EXPECT_EQ(30, half.Top().Height()) << "what loaded before the missing middle stays";
    EXPECT_EQ(nullptr, half.Bottom().Handle()) << "nothing after it is tried";

    std::string huge = SolidBmp(4, 4, kMiddle);
    const LONG side = 60000;
    huge.replace(22, 4, reinterpret_cast<const char*>(&side), 4); // the claimed height
    folder.Write("skins\\Huge-T.bmp", huge);
    EXPECT_FALSE(CSkin().Load("Huge"));
}

TEST_F(SkinTest, MiddleTilesFillTheGapAndTheBottomFollowsTheClientBottom)
{
    EXPECT_EQ(1, CSkin::MiddleTiles(175, 120, 8, 60)) << "short by less than a tile: one tile";
    EXPECT_EQ(0, CSkin::MiddleTiles(172, 120, 8, 60)) << "short by a whole tile: none";
    Skin("Tiles", 120, 8, 60);
    CSkin skin;
    ASSERT_TRUE(skin.Load("Tiles"));
    PaintWindow bar(199, 200, [&](HWND window) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        skin.Paint(window, dc);
        EndPaint(window, &ps);
    });
    const struct {
        int height, y;
        COLORREF colour;
    } rows[] = {
        {200, 119, kTop},  {200, 120, kTileTop}, {200, 128, kTileTop}, {200, 136, kTileTop},
        {200, 139, kMiddle}, {200, 140, kBottom}, // the bottom piece over the third tile
        {300, 232, kTileTop}, {300, 239, kMiddle}, {300, 240, kBottom}, {300, 299, kBottom},
    };
    for (const auto& row : rows) {
        if (row.height != 200) {
            SetWindowPos(bar.Handle(), nullptr, 0, 0, 199, row.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            bar.Repaint();
        }
        EXPECT_EQ(row.colour, bar.At(100, row.y)) << "y " << row.y << " of " << row.height;
    }
}

} // namespace
