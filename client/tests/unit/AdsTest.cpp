// The ads on real files in an "ads" folder and on real windows: the records written at
// every start, the order the banners come in, on the bar's ticks outside games only, the
// tip and the picture's place.
#include <stdio.h>
#include <string.h>

#include <memory>

#include "ads/AdRotator.h"
#include "session/Session.h"
#include "BarFixture.h"

namespace {

const RECT kHotspot = {11, 29, 188, 78};
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kBanners[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 220), RGB(220, 220, 0)};

class AdsTest : public BarFixture {
protected:
    AdsTest() { CreateDirectoryA("ads", nullptr); }
    static std::string File(int n, const char* extension)
    {
        char name[32];
        snprintf(name, sizeof name, "ads\\ad%03d.%s", n, extension);
        return name;
    }
    // A window painting black and the rotator's picture, the rotator made as the bar makes it.
    void Make()
    {
        window = std::make_unique<PaintWindow>(199, 100, [this](HWND handle) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(handle, &ps);
            FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            if (rotator) rotator->Paint(dc);
            EndPaint(handle, &ps);
        });
        rotator = std::make_unique<CAdRotator>(window->Handle(), kHotspot.left, kHotspot.top, kHotspot.right,
                                               kHotspot.bottom);
    }
    // Next() on a fully painted window, what it invalidated painted: the banner's middle, or
    // CLR_INVALID when it invalidated anything but the hotspot.
    COLORREF Next()
    {
        window->Repaint();
        rotator->Next();
        RECT invalidated = {};
        const bool any = GetUpdateRect(window->Handle(), &invalidated, FALSE) != FALSE;
        UpdateWindow(window->Handle());
        return any && !EqualRect(&invalidated, &kHotspot) ? CLR_INVALID : PixelAt(window->Handle(), 100, 50);
    }

    std::unique_ptr<PaintWindow> window;
    std::unique_ptr<CAdRotator> rotator;
};

TEST_F(AdsTest, BannersCycleFromZeroUpToTheFirstGap)
{
    Make();
    const struct {
        std::string present; // the pictures in the folder
        std::vector<int> shown;
    } rows[] = {{"", {-1, -1}},    // nothing changes, and the index stays 0
                {"01", {0, 1, 0}}, // so the failed steps did not move on
                {"012", {1, 2, 0, 1}},
                {"013", {0, 1, 0, 1}}}; // ad 3 lies behind the gap
    for (const auto& row : rows) {
        for (int n = 0; n < 4; ++n) DeleteFileA(File(n, "ad").c_str());
        for (const char n : row.present) folder.Write(File(n - '0', "ad"), SolidBmp(176, 48, kBanners[n - '0']));
        for (const int n : row.shown) EXPECT_EQ(n < 0 ? kBlack : kBanners[n], Next()) << "with " << row.present;
    }
}

TEST_F(AdsTest, TheBarStepsOnEachTickBelowAGameStatusAndStandsStillFromIt)
{
    for (int n = 0; n < 3; ++n) folder.Write(File(n, "ad"), SolidBmp(176, 48, kBanners[n]));
    Skin("HiDef");
    MakeBar("");
    Create(300);
    bar->Session()->SetStatus(300);
    const struct {
        WORD status;
        int shown;
    } rows[] = {{300, 0}, {599, 1}, {600, 1}, {300, 2}, {300, 0}}; // the first before any tick
    for (const auto& row : rows) {
        if (&row != rows) bar->Session()->SetStatus(row.status);
        if (&row != rows) SendMessageA(g_hMainWnd, WM_TIMER, 20, 0);
        RedrawWindow(g_hMainWnd, nullptr, nullptr, RDW_UPDATENOW);
        EXPECT_EQ(kBanners[row.shown], At(40, 50)) << "at status " << row.status;
    }
}

TEST_F(AdsTest, EveryStartWritesTheSixBuiltInRecordsAndAnAdWithoutAnAddressIsRefused)
{
    folder.Write(File(1, "adi"), std::string(5000, 'e')); // edited, longer than a record
    folder.Write(File(6, "adi"), AdInfoBytes("[Six]\nMine", "https://kvx.example/six"));
    folder.Write(File(0, "ad"), SolidBmp(4, 4, kBlack));
    // Another process writing ad001.adi meanwhile: the file is shared with it.
    HANDLE writer = CreateFileA(File(1, "adi").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    CAdRotator ads(nullptr, 11, 29, 188, 78);
    CloseHandle(writer);
    for (int n = 0; n < 6; ++n) EXPECT_EQ(sizeof(AD_INFO), folder.Read(File(n, "adi")).size()) << "ad " << n;
    EXPECT_EQ(AdInfoBytes("[Six]\nMine", "https://kvx.example/six"), folder.Read(File(6, "adi")));
    EXPECT_NE(nullptr, strstr(ads.TipText(), "(https://kvx.example/invite)")) << "the last one written is current";

    folder.Write(File(0, "adi"), AdInfoBytes("[No address]\nAt all", ""));
    EXPECT_FALSE(ads.Load(0));
    RemoveTree(folder.File("ads"));
    CAdRotator withoutFolder(nullptr, 11, 29, 188, 78);
    EXPECT_FALSE(folder.Exists("ads")) << "an unwritable folder is silently skipped";
}

TEST_F(AdsTest, ThePictureIsDrawnAtItsOwnSizeOnePixelInsideTheHotspot)
{
    const COLORREF top = RGB(255, 0, 255), body = RGB(0, 200, 200);
    folder.Write(File(0, "ad"), SolidBmp(176, 48, body, top));
    Make();
    Next();
    const LONG x = kHotspot.left + 1, y = kHotspot.top + 1;
    const HWND w = window->Handle();
    EXPECT_TRUE(PixelAt(w, x, y) == top && PixelAt(w, x + 175, y) == top && PixelAt(w, x, y + 1) == body &&
                PixelAt(w, x + 175, y + 47) == body);
    for (const POINT out : {POINT{x - 1, y}, POINT{x, y - 1}, POINT{x + 176, y + 47}, POINT{x + 175, y + 48}})
        EXPECT_EQ(kBlack, PixelAt(w, out.x, out.y)) << out.x << "," << out.y;
}

} // namespace
