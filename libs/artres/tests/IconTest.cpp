// The named icons as the client gets them from the real DLL, checked by drawing them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "artres/artres.h"

namespace {

const char* const kNames[] = {"Off",    "On",       "Away",    "NA",       "Na",     "Quake2", "Quake",
                              "Unreal", "Subspace", "Tanarus", "Fireteam", "Launch", "System", "Prefs",
                              "Check",  "Msg",      "Del",     "Add",      "Chat",   "Spy",    "Search",
                              "email",  "file",     "Log",     "Blank"};
constexpr uint32_t kBackground = 0x00FF00FF;

// The icon drawn at 16 x 16 over a magenta 32-bit surface, pixel by pixel.
std::vector<uint32_t> Drawn(HICON icon)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, surface);
    std::vector<uint32_t> pixels(16 * 16, kBackground);
    std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL));
    GdiFlush();
    const uint32_t* drawn = static_cast<uint32_t*>(bits);
    for (auto& p : pixels) p = *drawn++ & 0x00FFFFFF;
    SelectObject(dc, old);
    DeleteObject(surface);
    DeleteDC(dc);
    return pixels;
}

size_t Painted(const std::vector<uint32_t>& pixels)
{
    size_t n = 0;
    for (uint32_t p : pixels) n += p != kBackground;
    return n;
}

SIZE IconSize(HICON icon)
{
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return {0, 0};
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

TEST(IconTest, EveryNameHasItsOwnSixteenPixelIconKeptByTheLibrary)
{
    std::set<std::vector<uint32_t>> looks;
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        HICON icon = AR_Icon(name);
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(icon, AR_Icon(name)) << "the same icon on every call";
        const SIZE size = IconSize(icon);
        EXPECT_EQ(16, size.cx);
        EXPECT_EQ(16, size.cy);
        const std::vector<uint32_t> pixels = Drawn(icon);
        if (std::string(name) == "Blank") {
            EXPECT_EQ(0u, Painted(pixels)) << "the blinking's empty phase shows nothing";
        } else {
            EXPECT_GT(Painted(pixels), 40u) << "art, not an empty square";
            EXPECT_LT(Painted(pixels), 256u) << "a shape with a transparent surround, not a filled tile";
        }
        looks.insert(pixels);
    }
    EXPECT_EQ(Drawn(AR_Icon("NA")), Drawn(AR_Icon("Na"))) << "the status and the menu's N/A look alike";
    EXPECT_EQ(sizeof kNames / sizeof kNames[0] - 1, looks.size()) << "every other name has art of its own";
}

TEST(IconTest, ImagesAreNewIconsTheCallerDestroysWithoutHarmingTheShared)
{
    HICON shared = AR_Icon("On");
    HICON first = AR_Image("On", 1, 16, 16, 0);
    HICON second = AR_Image("On", 1, 16, 16, LR_SHARED);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_NE(shared, first);
    EXPECT_EQ(Drawn(shared), Drawn(first));
    EXPECT_TRUE(DestroyIcon(first));
    EXPECT_TRUE(DestroyIcon(second)) << "a caller's icon is its own even when it asked for a shared one";
    EXPECT_EQ(Drawn(AR_Image("Off", 1, 16, 16, 0)), Drawn(AR_Icon("Off")));
    EXPECT_GT(Painted(Drawn(shared)), 40u) << "the library's icon survives the caller's destroying";

    HICON large = AR_Image("Quake2", 1, 32, 32, 0);
    ASSERT_NE(nullptr, large);
    EXPECT_EQ(32, IconSize(large).cx) << "other sizes are scaled from the 16 x 16 art";
    DestroyIcon(large);
}

TEST(IconTest, UnknownNamesAndOtherImageTypesGiveNull)
{
    for (const char* name : {"", "off", "ON", "na", "Blank ", "Quake3", "Email"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(nullptr, AR_Icon(name));
        EXPECT_EQ(nullptr, AR_Image(name, 1, 16, 16, 0));
    }
    EXPECT_EQ(nullptr, AR_Icon(nullptr));
    EXPECT_EQ(nullptr, AR_Image(nullptr, 1, 16, 16, 0));
    EXPECT_EQ(nullptr, AR_Image("On", IMAGE_BITMAP, 16, 16, 0));
    EXPECT_EQ(nullptr, AR_Image("On", IMAGE_CURSOR, 16, 16, 0));
}

} // namespace
