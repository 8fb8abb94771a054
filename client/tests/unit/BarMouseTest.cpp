// The bar under the real pointer: SendInput moves and presses it, the bar's own handlers
// track the regions, outline them, act on the release, scroll while held and show balloons.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ads/AdInfo.h"
#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "BarFixture.h"
#include "support/Input.h"
#include "support/Pixels.h"
#include "support/Wait.h"

namespace {

// In a 300-pixel bar with a 60-pixel bottom piece.
const POINT kExit = {181, 13}, kHide = {159, 13}, kScrollDown = {176, 247};
const RECT kExitTopEdge = {177, 6, 186, 7}, kHideTopEdge = {155, 6, 164, 7};

class BarMouseTest : public BarFixture {
protected:
    BarMouseTest()
    {
        LeftUp();
        RightUp();
        Skin("HiDef");
        MakeBar("");
        Create(300);
        SetForegroundWindow(g_hMainWnd);
        SetFocus(g_hMainWnd);
        Pump(100);
    }
    void Point(POINT at, DWORD settleMs = 150)
    {
        MoveTo(g_hMainWnd, at.x, at.y);
        Pump(settleMs);
    }
    // Presses the left button here and releases it from another thread after `holdMs`,
    // pumping meanwhile: whether WM_QUIT came, and whether it came before the release.
    std::pair<bool, bool> Quits(DWORD holdMs, std::atomic<bool>* redWhileHeld = nullptr)
    {
        std::atomic<bool> released{false};
        std::thread hand([&] {
            Sleep(holdMs / 2);
            if (redWhileHeld) *redWhileHeld = Shows(kExitTopEdge, kRed);
            Sleep(holdMs / 2);
            released = true;
            LeftUp();
        });
        LeftDown();
        bool quit = false, early = false;
        for (const DWORD end = GetTickCount() + holdMs + 1000; !quit && GetTickCount() < end;)
            if (!Pump(10)) {
                quit = true;
                early = !released;
            }
        hand.join();
        return {quit, early};
    }
    std::string LastCall(const std::string& name) const
    {
        const std::vector<std::string>& calls = Recorder::Get().Calls();
        for (auto call = calls.rbegin(); call != calls.rend(); ++call)
            if (call->rfind(name + "(", 0) == 0) return *call;
        return "";
    }
};

TEST_F(BarMouseTest, TheRegionUnderThePointerIsOutlinedAndOnlyWhileTheBarHasTheFocus)
{
    ASSERT_TRUE(bar->IsActive());
    Point(kExit);
    EXPECT_TRUE(Shows(kExitTopEdge, kGrey)) << "dotted grey over Exit";
    EXPECT_FALSE(Shows(kHideTopEdge, kGrey));
    Point(kHide);
    EXPECT_TRUE(Shows(kHideTopEdge, kGrey)) << "the outline follows the pointer";
    EXPECT_FALSE(Shows(kExitTopEdge, kGrey));
    SendMessageA(g_hMainWnd, WM_KILLFOCUS, 0, 0);
    Pump(100);
    EXPECT_FALSE(Shows(kHideTopEdge, kGrey)) << "a bar without the focus outlines nothing";
    EXPECT_EQ("RL_Hilight(0, 0, 12, 124, 167, 257)", LastCall("RL_Hilight")) << "nor highlights a contact";
    const int tracked = Recorder::Get().Count("RL_Hilight");
    SendMessageA(g_hMainWnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));
    SendMessageA(g_hMainWnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));
    EXPECT_EQ(tracked + 1, Recorder::Get().Count("RL_Hilight")) << "a move to the same place changes nothing";
}

TEST_F(BarMouseTest, ExitIsRedWhileHeldAndQuitsAtTheReleaseNotAtThePress)
{
    Point(kExit);
    std::atomic<bool> red{false};
    const std::pair<bool, bool> quit = Quits(600, &red);
    EXPECT_TRUE(quit.first);
    EXPECT_FALSE(quit.second) << "not while the button is still down";
    EXPECT_TRUE(red) << "solid red while pressed";
}

TEST_F(BarMouseTest, HoldingScrollDownScrollsUntilTheReleaseAndTheRightButtonNever)
{
    Point(kScrollDown);
    EXPECT_FALSE(Quits(400).first);
    const int scrolled = Recorder::Get().Count("RL_Down");
    EXPECT_GT(scrolled, 10) << "once per pass while held";
    Pump(200);
    EXPECT_EQ(scrolled, Recorder::Get().Count("RL_Down")) << "the release's own command scrolls no more";
    EXPECT_EQ(0, Recorder::Get().Count("RL_Up"));
    for (const POINT at : {kScrollDown, kExit}) {
        Point(at);
        RightDown();
        Pump(150);
        RightUp();
        EXPECT_TRUE(Pump(150)) << "a right press neither acts";
    }
    EXPECT_EQ(scrolled, Recorder::Get().Count("RL_Down")) << "nor scrolls";
}

TEST_F(BarMouseTest, ABalloonComesUpAfterARestAndAnyMoveRemovesIt)
{
    Point(kExit, 900);
    ASSERT_EQ(1, Recorder::Get().Count("WK_ShowBalloon")) << "more than 500 ms of rest";
    EXPECT_EQ("WK_ShowBalloon(\"Exit\")", LastCall("WK_ShowBalloon")) << "the region's text from the string table";
    HWND balloon = FindWindowA("STATIC", "Exit");
    ASSERT_NE(nullptr, balloon);
    MoveTo(g_hMainWnd, kExit.x + 1, kExit.y);
    Pump(100);
    EXPECT_FALSE(IsWindow(balloon)) << "a one-pixel move removes the balloon";
}

TEST_F(BarMouseTest, AClickOnTheBannerOpensTheAdsAddressAndSendsNoCommand)
{
    // The address is a batch file, which the shell runs as it would open a page.
    const std::string marker = folder.File("opened.txt");
    folder.Write("open.bat", "@echo opened>\"" + marker + "\"\r\n");
    CreateDirectoryA("ads", nullptr);
    folder.Write("ads\\ad000.ad", SolidBmp(176, 48, kRed));
    AD_INFO info = {};
    lstrcpynA(info.url, folder.File("open.bat").c_str(), sizeof info.url);
    lstrcpyA(info.text, "[Local]\nA batch file");
    folder.Write("ads\\ad000.adi", std::string(reinterpret_cast<const char*>(&info), sizeof info));
    SendMessageA(g_hMainWnd, WM_TIMER, 20, 0);
    // The press finds the hotspot under the pointer; the release acts on it.
    Point({40, 50});
    const LPARAM at = MAKELPARAM(40, 50);
    SendMessageA(g_hMainWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(g_hMainWnd, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(WaitFor([&] { return folder.Exists("opened.txt"); }, 10000));
    EXPECT_TRUE(IsWindowVisible(g_hMainWnd));
}

} // namespace
