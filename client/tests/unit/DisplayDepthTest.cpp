// The painter on whatever display the suite gives it: true colour keeps every skin and
// leaves palettes alone; 8 bits per pixel replaces "Hi" skins after a notice and selects
// and realises the web.pal palette. The suite runs this at both depths.
#include <set>
#include <string>

#include "skin/Painter.h"
#include "support/InFolder.h"
#include "support/MessageBoxes.h"
#include "support/Pixels.h"

namespace {

// Colours no static system colour has, so finding them means the palette was realised.
const BYTE kMarks[][3] = {{17, 34, 51}, {68, 85, 102}, {119, 136, 153}, {170, 187, 204}};

std::string PaletteWithMarks()
{
    std::string file(24, '\0');
    for (int i = 0; i < 256; ++i) {
        const BYTE* mark = kMarks[i % 4];
        file += std::string{static_cast<char>(mark[2]), static_cast<char>(mark[1]), static_cast<char>(mark[0]), '\0'};
    }
    return file;
}

bool SystemPaletteHasMarks()
{
    PALETTEENTRY entries[256] = {};
    HDC screen = GetDC(nullptr);
    const UINT count = GetSystemPaletteEntries(screen, 0, 256, entries);
    ReleaseDC(nullptr, screen);
    int found = 0;
    for (const BYTE* mark : kMarks)
        for (UINT i = 0; i < count; ++i)
            if (entries[i].peRed == mark[0] && entries[i].peGreen == mark[1] && entries[i].peBlue == mark[2]) {
                ++found;
                break;
            }
    return found == 4;
}

class DisplayDepthTest : public InScratchFolder {
protected:
    DisplayDepthTest()
    {
        CreateDirectoryA("skins", nullptr);
        for (const char* skin : {"HiDef", "LoDef"})
            for (const char* piece : {"-T.bmp", "-M.bmp", "-B.bmp"})
                folder.Write(std::string("skins\\") + skin + piece, SolidBmp(199, 20, RGB(0, 0, 128)));
        folder.Write("web.pal", PaletteWithMarks());
    }
};

TEST_F(DisplayDepthTest, TheSkinAndThePaletteFollowTheColourDepth)
{
    BoxAnswerer boxes;
    CPainter painter;
    const int depth = painter.ColourDepth();
    const bool low = depth < 15;
    char name[CSkin::kNameSize] = "HiDef";
    EXPECT_TRUE(painter.SetSkin(name));
    EXPECT_EQ(low ? "LoDef" : "HiDef", std::string(name));
    EXPECT_EQ(std::string(name), painter.Skin().Name());
    const std::vector<SeenBox> seen = boxes.Seen();
    if (low) {
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("KVX", seen[0].caption);
        EXPECT_EQ("Display Mode (" + std::to_string(depth) + " BPP). Automatically changing to LoColor skin.",
                  seen[0].text);
    } else {
        EXPECT_TRUE(seen.empty()) << "no notice at " << depth << " bits";
    }
    char other[CSkin::kNameSize] = "hiDef";
    painter.SetSkin(other);
    EXPECT_EQ("hiDef", std::string(other)) << "the test for \"Hi\" minds the letter case";

    HPALETTE selected = nullptr;
    PaintWindow bar(199, 100, [&](HWND window) {
        HDC dc = painter.Begin(window, true);
        selected = static_cast<HPALETTE>(GetCurrentObject(dc, OBJ_PAL));
        painter.End();
    });
    EXPECT_EQ(depth == 8, selected == painter.Palette()) << "the palette is selected only at 8 bits";

    ValidateRect(bar.Handle(), nullptr);
    const bool realised = painter.Realize(bar.Handle());
    RECT update;
    const bool repainting = GetUpdateRect(bar.Handle(), &update, FALSE) != FALSE;
    EXPECT_EQ(realised, repainting) << "a realisation that maps colours repaints the bar";
    if (depth == 8) {
        EXPECT_TRUE(SystemPaletteHasMarks()) << "web.pal's colours are in the system palette";
    } else {
        EXPECT_FALSE(realised);
    }
    RecordProperty("ColourDepth", depth);
}

} // namespace
