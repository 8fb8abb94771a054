// The bar under the real pointer: SendInput moves and presses it, the bar's own handlers
// track the regions, outline them, act on the release, scroll while held and show balloons.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "BarFixture.h"
#include "support/Input.h"
#include "support/Wait.h"

namespace {

// In a 300-pixel bar with a 60-pixel bottom piece.
const POINT kExit = {181, 13}, kHide = {159, 13}, kScrollDown = {176, 247};
const RECT kExitTopEdge = {177, 6, 186, 7}, kHideTopEdge = {155, 6, 164, 7};

std::string LastCall(const std::string& name)
{
    const auto& calls = Recorder::Get().Calls();
    for (auto call = calls.rbegin(); call != calls.rend(); ++call)
        if (call->rfind(name + "(", 0) == 0) return *call;
    return "";
}

std::string FirstCall(const std::string& name)
{
    for (const std::string& call : Recorder::Get().Calls())
        if (call.rfind(name + "(", 0) == 0) return call;
    return "";
}

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
    // Presses the left button here, releases it from another thread after `holdMs`, and
    // pumps until the release has been handled. True when WM_QUIT came. (That a press alone
    // does not quit is seen from outside, on the real client, by the end-to-end tests.)
    bool QuitsOnRelease(DWORD holdMs)
    {
        std::thread releaser([&] {
            Sleep(holdMs);
            LeftUp();
        });
        LeftDown();
        DWORD quitAt = 0;
        const DWORD end = GetTickCount() + holdMs + 1000;
        while (!quitAt && GetTickCount() < end)
            if (!Pump(10)) quitAt = GetTickCount();
        releaser.join();
        return quitAt != 0;
    }
};

TEST_F(BarMouseTest, TheRegionUnderThePointerIsOutlinedAndOnlyIt)
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

TEST_F(BarMouseTest, ExitIsRedWhileHeldAndQuitsOnceReleased)
{
    Point(kExit);
    std::atomic<bool> red{false};
    std::thread look([&] {
        Sleep(250);
        red = Shows(kExitTopEdge, kRed);
    });
    EXPECT_TRUE(QuitsOnRelease(500));
    look.join();
    EXPECT_TRUE(red) << "solid red while pressed";
}

TEST_F(BarMouseTest, HoldingScrollDownScrollsUntilTheReleaseAndTheRightButtonNever)
{
    Point(kScrollDown);
    EXPECT_FALSE(QuitsOnRelease(400));
    const int scrolled = Recorder::Get().Count("RL_Down");
    EXPECT_GT(scrolled, 10) << "once per pass while held";
    Pump(200);
    EXPECT_EQ(scrolled, Recorder::Get().Count("RL_Down")) << "the release's own command scrolls no more";
    EXPECT_EQ(0, Recorder::Get().Count("RL_Up"));

    RightDown();
    Pump(200);
    RightUp();
    Pump(100);
    EXPECT_EQ(scrolled, Recorder::Get().Count("RL_Down")) << "a right press neither scrolls";
    Point(kExit);
    RightDown();
    Pump(100);
    RightUp();
    EXPECT_TRUE(Pump(200)) << "nor acts";
}

TEST_F(BarMouseTest, ABalloonComesUpAfterARestAndAnyMoveRemovesIt)
{
    Point(kExit, 900);
    ASSERT_EQ(1, Recorder::Get().Count("WK_ShowBalloon")) << "more than 500 ms of rest";
    EXPECT_EQ("WK_ShowBalloon(\"Exit\")", FirstCall("WK_ShowBalloon")) << "the region's text from the string table";
    HWND balloon = FindWindowA("STATIC", "Exit");
    ASSERT_NE(nullptr, balloon);
    MoveTo(g_hMainWnd, kExit.x + 1, kExit.y);
    Pump(100);
    EXPECT_FALSE(IsWindow(balloon)) << "a one-pixel move removes the balloon";
}

} // namespace
