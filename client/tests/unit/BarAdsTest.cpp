// The banner in the real bar: shown at start, one step on each 25-second tick, still while
// the user is in a game, and opened by a click on the hotspot instead of any command.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ads/AdInfo.h"
#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "session/Session.h"
#include "BarFixture.h"
#include "support/Input.h"
#include "support/Pixels.h"
#include "support/Wait.h"

namespace {

const COLORREF kBanners[] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};
const POINT kInsideBanner = {40, 50};

class BarAdsTest : public BarFixture {
protected:
    BarAdsTest()
    {
        CreateDirectoryA("ads", nullptr);
        for (int n = 0; n < 3; ++n) folder.Write("ads\\ad00" + std::to_string(n) + ".ad", SolidBmp(176, 48, kBanners[n]));
        Skin("HiDef");
        MakeBar("");
        Create(300);
    }
    COLORREF Banner()
    {
        RedrawWindow(g_hMainWnd, nullptr, nullptr, RDW_UPDATENOW);
        return At(kInsideBanner.x, kInsideBanner.y);
    }
    void Tick() { SendMessageA(g_hMainWnd, WM_TIMER, 20, 0); }
};

TEST_F(BarAdsTest, TheBannerStepsOnEachTickButStandsStillDuringAGame)
{
    EXPECT_EQ(kBanners[0], Banner()) << "the first ad at once";
    Tick();
    EXPECT_EQ(kBanners[1], Banner());
    bar->Session()->SetStatus(300);
    bar->Session()->SetStatus(615);
    Tick();
    Tick();
    EXPECT_EQ(kBanners[1], Banner()) << "in a game";
    bar->Session()->SetStatus(300);
    Tick();
    EXPECT_EQ(kBanners[2], Banner());
    Tick();
    EXPECT_EQ(kBanners[0], Banner()) << "and round again";
}

TEST_F(BarAdsTest, AClickOnTheHotspotOpensTheAdsAddressAndSendsNoCommand)
{
    // The address of ad 1 is a batch file, which the shell runs as it would open a page.
    const std::string marker = folder.File("opened.txt");
    folder.Write("open.bat", "@echo opened>\"" + marker + "\"\r\n");
    AD_INFO info = {};
    strcpy(info.url, folder.File("open.bat").c_str());
    strcpy(info.text, "[Local]\nA batch file");
    folder.Write("ads\\ad001.adi", std::string(reinterpret_cast<const char*>(&info), sizeof info));
    Tick();

    // The press finds the hotspot under the pointer; the release acts on it.
    LeftUp();
    GetAsyncKeyState(VK_LBUTTON);
    const LPARAM at = MAKELPARAM(kInsideBanner.x, kInsideBanner.y);
    SendMessageA(g_hMainWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(g_hMainWnd, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(WaitFor([&] { return folder.Exists("opened.txt"); }, 10000));
    EXPECT_TRUE(IsWindowVisible(g_hMainWnd));
}

} // namespace
