// Skins from the "skins" folder: which names are listed, which load, and where the pieces
// land on a real window.
#include <algorithm>
#include <string>
#include <vector>

#include "skin/Skin.h"
#include "support/InFolder.h"
#include "support/Pixels.h"

namespace {

const COLORREF kTop = RGB(200, 0, 0), kMiddle = RGB(0, 160, 0), kMiddleFirstRow = RGB(0, 80, 240),
               kBottom = RGB(0, 0, 200);

class SkinTest : public InScratchFolder {
protected:
    SkinTest() { CreateDirectoryA("skins", nullptr); }

    void Piece(const std::string& file, int height, COLORREF colour, COLORREF topRow)
    {
        folder.Write("skins\\" + file, SolidBmp(199, height, colour, topRow));
    }
    void Skin(const std::string& name, int top, int middle, int bottom)
    {
        Piece(name + "-T.bmp", top, kTop, kTop);
        Piece(name + "-M.bmp", middle, kMiddle, kMiddleFirstRow);
        Piece(name + "-B.bmp", bottom, kBottom, kBottom);
    }
    static std::vector<std::string> Names(const CSkin& skin)
    {
        std::vector<std::string> names;
        for (size_t i = 0; i < skin.NameCount(); ++i) names.push_back(skin.NameAt(i));
        return names;
    }
    // The names in the order the file system lists the folder, for comparison.
    static std::vector<std::string> FilesInFolderOrder()
    {
        std::vector<std::string> files;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA("skins\\*.bmp", &found);
        if (search == INVALID_HANDLE_VALUE) return files;
        do files.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
        return files;
    }
};

TEST_F(SkinTest, TheListHasEachNameOnceCutAtTheLastDashInFolderOrder)
{
    Skin("HiDef", 10, 2, 10);
    Skin("LoDef", 10, 2, 10);
    Piece("hidef-X.bmp", 4, kTop, kTop);
    Piece("Night-Blue-T.bmp", 4, kTop, kTop);
    Piece("Sample.bmp", 4, kTop, kTop);
    Piece("-T.bmp", 4, kTop, kTop);
    Piece(std::string(100, 'L') + "-T.bmp", 4, kTop, kTop);
    folder.Write("skins\\Other-T.txt", "not a bitmap");

    CSkin skin;
    skin.Enumerate();
    const std::vector<std::string> names = Names(skin);
    ASSERT_EQ(3u, names.size()) << "hidef and HiDef are one skin; no dash, an empty or a too long name is no skin";
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "Night-Blue"));
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "LoDef"));

    // Whichever spelling of HiDef the folder gives first is the one listed, in its place.
    std::vector<std::string> expected;
    for (const std::string& file : FilesInFolderOrder()) {
        const size_t dash = file.rfind('-');
        if (dash == std::string::npos || dash == 0 || dash >= 100) continue;
        const std::string name = file.substr(0, dash);
        if (std::none_of(expected.begin(), expected.end(),
                         [&](const std::string& known) { return lstrcmpiA(known.c_str(), name.c_str()) == 0; }))
            expected.push_back(name);
    }
    EXPECT_EQ(expected, names);

    skin.Enumerate();
    EXPECT_EQ(names, Names(skin)) << "enumerating again rebuilds the list, it does not add to it";
    EXPECT_EQ(nullptr, skin.NameAt(3));
}

TEST_F(SkinTest, AnEmptyOrMissingFolderListsNothing)
{
    CSkin empty;
    empty.Enumerate();
    EXPECT_EQ(0u, empty.NameCount());
    RemoveDirectoryA("skins");
    CSkin missing;
    missing.Enumerate();
    EXPECT_EQ(0u, missing.NameCount());
}

TEST_F(SkinTest, LoadingStopsAtTheFirstMissingOrDamagedPiece)
{
    CSkin unloaded;
    EXPECT_EQ(1, unloaded.Top().Width());
    EXPECT_EQ(1, unloaded.Middle().Height()) << "an unloaded piece still divides";

    Piece("Half-T.bmp", 30, kTop, kTop);
    Piece("Half-B.bmp", 20, kBottom, kBottom);
    CSkin half;
    EXPECT_FALSE(half.Load("Half"));
    EXPECT_EQ("Half", std::string(half.Name()));
    EXPECT_EQ(30, half.Top().Height()) << "what loaded before the missing middle stays";
    EXPECT_EQ(nullptr, half.Bottom().Handle()) << "nothing after it is tried";

    std::string huge = SolidBmp(4, 4, kMiddle);
    const LONG side = 60000;
    huge.replace(22, 4, reinterpret_cast<const char*>(&side), 4); // the claimed height
    folder.Write("skins\\Huge-T.bmp", huge);
    CSkin absurd;
    EXPECT_FALSE(absurd.Load("Huge"));

    Skin("Whole", 30, 4, 20);
    CSkin whole;
    EXPECT_TRUE(whole.Load("Whole"));
    EXPECT_EQ(199, whole.Bottom().Width());
    EXPECT_EQ(20, whole.Bottom().Height());
}

TEST_F(SkinTest, MiddleTilesFillTheGapAndTheBottomCoversTheLastOne)
{
    EXPECT_EQ(3, CSkin::MiddleTiles(200, 120, 8, 60));
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
    EXPECT_EQ(kTop, bar.At(100, 0));
    EXPECT_EQ(kTop, bar.At(100, 119));
    for (int y : {120, 128, 136}) EXPECT_EQ(kMiddleFirstRow, bar.At(100, y)) << "a tile starts at " << y;
    EXPECT_EQ(kMiddle, bar.At(100, 139));
    EXPECT_EQ(kBottom, bar.At(100, 140)) << "the bottom piece is painted over the third tile";
    EXPECT_EQ(kBottom, bar.At(100, 199));

    SetWindowPos(bar.Handle(), nullptr, 0, 0, 199, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    bar.Repaint();
    EXPECT_EQ(kMiddle, bar.At(100, 239));
    EXPECT_EQ(kBottom, bar.At(100, 240)) << "the bottom piece follows the client bottom";
    EXPECT_EQ(kMiddleFirstRow, bar.At(100, 232));
}

} // namespace
