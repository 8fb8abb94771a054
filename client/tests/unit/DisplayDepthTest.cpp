// The painter on whatever display the suite gives it: true colour keeps every skin and
// leaves palettes alone; 8 bits per pixel replaces "Hi" skins after a notice and selects
// and realises the web.pal palette. The suite runs this at 24, 16 and 8 bits.
#include <algorithm>

#include "skin/Painter.h"
#include "support/InFolder.h"
#include "support/MessageBoxes.h"
#include "support/Pixels.h"

namespace {

using DisplayDepthTest = InScratchFolder;

TEST_F(DisplayDepthTest, TheSkinAndThePaletteFollowTheColourDepth)
{
    // Entries of colours no static system colour has, so finding them means a realisation.
    const BYTE marks[][3] = {{17, 34, 51}, {68, 85, 102}, {119, 136, 153}, {170, 187, 204}};
    std::string pal(24, '\0');
    for (int i = 0; i < 256; ++i) pal += {char(marks[i % 4][2]), char(marks[i % 4][1]), char(marks[i % 4][0]), '\0'};
    folder.Write("web.pal", pal);
    CreateDirectoryA("skins", nullptr);
    for (const char* skin : {"HiDef", "LoDef"})
        for (const char* piece : {"-T.bmp", "-M.bmp", "-B.bmp"})
            folder.Write(std::string("skins\\") + skin + piece, SolidBmp(199, 20, RGB(0, 0, 128)));

    BoxAnswerer boxes;
    CPainter painter;
    const int depth = painter.ColourDepth();
    char name[CSkin::kNameSize] = "HiDef", other[CSkin::kNameSize] = "hiDef";
    EXPECT_TRUE(painter.SetSkin(name));
    EXPECT_EQ(depth < 15 ? "LoDef" : "HiDef", std::string(name));
    EXPECT_STREQ(name, painter.Skin().Name());
    ASSERT_EQ(depth < 15 ? 1u : 0u, boxes.Seen().size()) << "a notice below 15 bits only";
    if (depth < 15) {
        EXPECT_EQ("KVX", boxes.Seen()[0].caption);
        EXPECT_EQ("Display Mode (" + std::to_string(depth) + " BPP). Automatically changing to LoColor skin.",
                  boxes.Seen()[0].text);
    }
    painter.SetSkin(other);
    EXPECT_STREQ("hiDef", other) << "the test for \"Hi\" minds the letter case";

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
    EXPECT_EQ(realised, GetUpdateRect(bar.Handle(), &update, FALSE) != FALSE) << "a realisation that maps repaints";
    EXPECT_TRUE(depth == 8 || !realised);
    PALETTEENTRY system[256] = {};
    HDC screen = GetDC(nullptr);
    const UINT count = GetSystemPaletteEntries(screen, 0, 256, system);
    ReleaseDC(nullptr, screen);
    int found = 0;
    for (const BYTE* mark : marks)
        found += std::any_of(system, system + count, [&](const PALETTEENTRY& e) {
            return e.peRed == mark[0] && e.peGreen == mark[1] && e.peBlue == mark[2];
        });
    EXPECT_EQ(depth == 8 ? 4 : found, found) << "web.pal's colours are in the system palette at 8 bits";
    RecordProperty("ColourDepth", depth);
}

} // namespace
