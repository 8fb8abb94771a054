// The named icons as the client gets them from the real DLL, checked by drawing them.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "artres/artres.h"

namespace {

// The icon drawn at 16 x 16 over magenta, pixel by pixel; empty for no icon.
std::vector<COLORREF> Drawn(HICON icon)
{
    std::vector<COLORREF> pixels;
    BITMAPINFO info = {{sizeof info.bmiHeader, 16, 16, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, surface);
    const RECT all = {0, 0, 16, 16};
    SetDCBrushColor(dc, RGB(255, 0, 255));
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (icon && DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL))
        for (int i = 0; i < 16 * 16; ++i) pixels.push_back(GetPixel(dc, i % 16, i / 16));
    SelectObject(dc, old);
    DeleteObject(surface);
    DeleteDC(dc);
    return pixels;
}

size_t Painted(const std::vector<COLORREF>& pixels)
{
    size_t n = 0;
    for (COLORREF p : pixels) n += p != RGB(255, 0, 255);
    return n;
}

TEST(IconTest, EveryNameHasItsOwnIconAndImagesAreTheCallersToDestroy)
{
    const char* const names[] = {"Off",  "On",      "Away",     "NA",     "Na",    "Quake2", "Quake", "Unreal", "Subspace",
                                 "Tanarus", "Fireteam", "Launch", "System", "Prefs", "Check", "Msg",   "Del",    "Add",
                                 "Chat", "Spy",     "Search",   "email",  "file",  "Log",    "Blank"};
    std::set<std::vector<COLORREF>> looks;
    for (const char* name : names) {
        HICON icon = AR_Icon(name);
        EXPECT_EQ(icon, AR_Icon(name)) << name << ": the same icon on every call";
        const std::vector<COLORREF> pixels = Drawn(icon);
        const bool blank = std::string(name) == "Blank";
        EXPECT_TRUE(blank ? Painted(pixels) == 0 : Painted(pixels) > 40 && Painted(pixels) < 256) << name << ": art with a transparent surround";
        HICON image = AR_Image(name, IMAGE_ICON, 16, 16, LR_SHARED);
        EXPECT_EQ(pixels, Drawn(image)) << name;
        EXPECT_TRUE(DestroyIcon(image)) << name << ": a caller's image is its own, even asked for shared";
        looks.insert(pixels);
    }
    EXPECT_EQ(Drawn(AR_Icon("NA")), Drawn(AR_Icon("Na"))) << "the status's and the menu's N/A look alike";
    EXPECT_EQ(24u, looks.size()) << "every other name has art of its own";
    EXPECT_EQ(Drawn(AR_Image("On", IMAGE_ICON, 16, 16, 0)), Drawn(AR_Icon("On"))) << "the library's survives the caller's destroying";
    HICON large = AR_Image("Quake2", IMAGE_ICON, 32, 32, 0);
    ICONINFO info = {};
    BITMAP bitmap = {};
    GetIconInfo(large, &info);
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(32, bitmap.bmWidth) << "other sizes are scaled from the 16 x 16 art";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(large);
}

TEST(IconTest, UnknownNamesAndOtherImageTypesGiveNull)
{
    for (const char* name : {"", "off", "ON", "na", "Blank ", "Quake3", "Email", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(nullptr, AR_Icon(name)) << (name ? name : "null");
        EXPECT_EQ(nullptr, AR_Image(name, IMAGE_ICON, 16, 16, 0)) << (name ? name : "null");
    }
    for (const UINT type : {IMAGE_BITMAP, IMAGE_CURSOR}) EXPECT_EQ(nullptr, AR_Image("On", type, 16, 16, 0));
}

} // namespace
