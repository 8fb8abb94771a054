// The named icons as the client gets them from the real DLL, checked by drawing them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "artres/artres.h"

namespace {

// The icon drawn at 16 x 16 over magenta, pixel by pixel (magenta is 0); empty for no icon.
std::vector<COLORREF> Drawn(HICON icon)
{
    BITMAPINFO info = {{sizeof info.bmiHeader, 16, 16, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, surface);
    std::vector<COLORREF> pixels(16 * 16, RGB(255, 0, 255));
    memcpy(bits, pixels.data(), 16 * 16 * 4);
    const bool drawn = icon && DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    for (int i = 0; i < 16 * 16; ++i) pixels[i] = GetPixel(dc, i % 16, i / 16) ^ RGB(255, 0, 255);
    SelectObject(dc, old);
    DeleteObject(surface);
    DeleteDC(dc);
    return drawn ? pixels : std::vector<COLORREF>();
}

size_t Painted(const std::vector<COLORREF>& pixels)
{
    return pixels.size() - std::count(pixels.begin(), pixels.end(), 0);
}

TEST(IconTest, EveryNameHasItsOwnIconOtherNamesNoneAndImagesAreTheCallersToDestroy)
{
    std::set<std::vector<COLORREF>> looks;
    for (const char* name :
         {"Off",     "On",       "Away",   "NA",     "Na",    "Quake2", "Quake", "Unreal", "Subspace",
          "Tanarus", "Fireteam", "Launch", "System", "Prefs", "Check",  "Msg",   "Del",    "Add",
          "Chat",    "Spy",      "Search", "email",  "file",  "Log",    "Blank"}) {
        const std::vector<COLORREF> pixels = Drawn(AR_Icon(name));
        const bool blank = std::string(name) == "Blank";
        EXPECT_TRUE(blank ? Painted(pixels) == 0 : Painted(pixels) > 40 && Painted(pixels) < 256)
            << name << ": a shape";
        EXPECT_EQ(AR_Icon(name), AR_Icon(name)) << name << ": the library's, the same on every call";
        HICON image = AR_Image(name, IMAGE_ICON, 16, 16, LR_SHARED);
        EXPECT_TRUE(Drawn(image) == pixels && DestroyIcon(image))
            << name << ": the caller's own, even asked for shared";
        looks.insert(pixels);
    }
    EXPECT_EQ(Drawn(AR_Icon("NA")), Drawn(AR_Icon("Na"))) << "the status's and the menu's N/A look alike";
    EXPECT_EQ(24u, looks.size()) << "every other name has art of its own";
    EXPECT_EQ(Drawn(AR_Image("On", IMAGE_ICON, 16, 16, 0)), Drawn(AR_Icon("On")))
        << "the library's outlived the images";
    ICONINFO info = {};
    BITMAP bitmap = {};
    GetIconInfo(AR_Image("Quake2", IMAGE_ICON, 32, 32, 0), &info);
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(32, bitmap.bmWidth) << "other sizes are scaled from the 16 x 16 art";
    for (const char* name : {"", "off", "ON", "na", "Blank ", "Quake3", "Email", static_cast<const char*>(nullptr)})
        EXPECT_TRUE(!AR_Icon(name) && !AR_Image(name, IMAGE_ICON, 16, 16, 0)) << (name ? name : "null");
    EXPECT_TRUE(!AR_Image("On", IMAGE_BITMAP, 16, 16, 0) && !AR_Image("On", IMAGE_CURSOR, 16, 16, 0));
}

} // namespace
