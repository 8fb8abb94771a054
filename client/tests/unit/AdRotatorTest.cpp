// The ad rotator on real files in an "ads" folder and on a real window: the records it
// writes at every start, the order the banners come in, the tip and the picture's place.
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>

#include "ads/AdRotator.h"
#include "support/InFolder.h"
#include "support/Pixels.h"

namespace {

const RECT kHotspot = {11, 29, 188, 78};
const COLORREF kBackground = RGB(0, 0, 0);

std::string AdFile(int n, const char* extension)
{
    char name[32];
    snprintf(name, sizeof name, "ads\\ad%03d.%s", n, extension);
    return name;
}

std::string Record(const char* text, const char* url)
{
    AD_INFO info = {};
    strncpy(info.text, text, sizeof info.text - 1);
    strncpy(info.url, url, sizeof info.url - 1);
    return std::string(reinterpret_cast<const char*>(&info), sizeof info);
}

class AdRotatorTest : public InScratchFolder {
protected:
    AdRotatorTest() { CreateDirectoryA("ads", nullptr); }
    // A window painting black and the rotator's picture, with the rotator made as the bar
    // makes it.
    void Make(const RECT& hotspot = kHotspot)
    {
        rotator.reset();
        window = std::make_unique<PaintWindow>(199, 100, [this](HWND handle) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(handle, &ps);
            FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            if (rotator) rotator->Paint(dc);
            EndPaint(handle, &ps);
        });
        rotator = std::make_unique<CAdRotator>(window->Handle(), hotspot.left, hotspot.top, hotspot.right, hotspot.bottom);
    }
    // Next() on a fully painted window: what it invalidated is painted, and the middle of
    // the banner read back; -1 when it invalidated anything but the hotspot.
    COLORREF Next()
    {
        window->Repaint();
        rotator->Next();
        RECT invalidated = {};
        const bool any = GetUpdateRect(window->Handle(), &invalidated, FALSE) != FALSE;
        UpdateWindow(window->Handle());
        return any && !EqualRect(&invalidated, &kHotspot) ? CLR_INVALID : window->At(100, 50);
    }

    std::unique_ptr<PaintWindow> window;
    std::unique_ptr<CAdRotator> rotator;
};

TEST_F(AdRotatorTest, BannersCycleFromZeroUpToTheFirstGap)
{
    const COLORREF colours[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 220), RGB(220, 220, 0)};
    Make();
    EXPECT_EQ(kBackground, Next()) << "no picture at all: nothing changes";
    const struct {
        std::string present; // the pictures in the folder
        std::vector<int> shown;
    } rows[] = {
        {"", {-1, -1}},
        {"01", {0, 1, 0}}, // the failed steps before did not move on
        {"012", {1, 2, 0, 1}},
        {"013", {0, 1, 0, 1}}, // ad 3 lies behind the gap
    };
    for (const auto& row : rows) {
        for (int n = 0; n < 4; ++n) DeleteFileA(AdFile(n, "ad").c_str());
        for (const char n : row.present) folder.Write(AdFile(n - '0', "ad"), SolidBmp(176, 48, colours[n - '0']));
        for (const int n : row.shown) EXPECT_EQ(n < 0 ? kBackground : colours[n], Next()) << "with " << row.present;
    }
}

TEST_F(AdRotatorTest, EveryStartWritesTheSixBuiltInRecordsAndLeavesOthersAlone)
{
    folder.Write(AdFile(1, "adi"), "edited");
    folder.Write(AdFile(6, "adi"), Record("[Six]\nMine", "https://kvx.example/six"));
    CAdRotator started(nullptr, 11, 29, 188, 78);
    for (int n = 0; n < 6; ++n) {
        const std::string bytes = folder.Read(AdFile(n, "adi"));
        ASSERT_EQ(sizeof(AD_INFO), bytes.size()) << "ad " << n;
        const AD_INFO* info = reinterpret_cast<const AD_INFO*>(bytes.data());
        EXPECT_EQ(0, strncmp(info->url, "https://kvx.example/", 20)) << info->url;
        EXPECT_EQ('[', info->text[0]);
        EXPECT_NE(nullptr, strstr(info->text, "]\n")) << "a bracketed name, then the tagline";
    }
    EXPECT_EQ(Record("[Six]\nMine", "https://kvx.example/six"), folder.Read(AdFile(6, "adi")));
    EXPECT_NE(nullptr, strstr(started.TipText(), "(https://kvx.example/invite)")) << "the last one written is current";
    RemoveTree(folder.File("ads"));
    CAdRotator withoutFolder(nullptr, 11, 29, 188, 78);
    EXPECT_FALSE(folder.Exists("ads")) << "an unwritable folder is silently skipped";
}

TEST_F(AdRotatorTest, TheTipShowsTextAndAddressInFullAndAnAdWithoutAnAddressDoesNotLoad)
{
    folder.Write(AdFile(0, "ad"), SolidBmp(4, 4, kBackground));
    CAdRotator ad(nullptr, 11, 29, 188, 78);
    folder.Write(AdFile(0, "adi"), Record("[Name]\nTagline", "A"));
    ASSERT_TRUE(ad.Load(0));
    EXPECT_STREQ("[Name]\nTagline\n\n(A)\n\nClick Now To Jump Here", ad.TipText());
    const std::string text(sizeof(AD_INFO::text) - 1, 't'), url(sizeof(AD_INFO::url) - 1, 'u');
    folder.Write(AdFile(0, "adi"), Record(text.c_str(), url.c_str()));
    ASSERT_TRUE(ad.Load(0));
    EXPECT_EQ(text + "\n\n(" + url + ")\n\nClick Now To Jump Here", ad.TipText());
    folder.Write(AdFile(0, "adi"), Record("[No address]\nAt all", ""));
    EXPECT_FALSE(ad.Load(0));
}

TEST_F(AdRotatorTest, ThePictureIsDrawnAtItsOwnSizeOnePixelInsideTheHotspot)
{
    const COLORREF top = RGB(255, 0, 255), body = RGB(0, 200, 200);
    folder.Write(AdFile(0, "ad"), SolidBmp(176, 48, body, top));
    Make();
    Next();
    for (const POINT inside : {POINT{12, 30}, POINT{187, 30}}) EXPECT_EQ(top, window->At(inside.x, inside.y));
    for (const POINT inside : {POINT{12, 31}, POINT{187, 77}}) EXPECT_EQ(body, window->At(inside.x, inside.y));
    for (const POINT outside : {POINT{11, 30}, POINT{12, 29}, POINT{188, 77}, POINT{187, 78}})
        EXPECT_EQ(kBackground, window->At(outside.x, outside.y)) << outside.x << "," << outside.y;
    Make({0, 0, 199, 100});
    window->Repaint();
    rotator->Next();
    UpdateWindow(window->Handle());
    EXPECT_EQ(top, window->At(1, 1)) << "the place follows the hotspot";
    EXPECT_EQ(kBackground, window->At(0, 0));
}

} // namespace
