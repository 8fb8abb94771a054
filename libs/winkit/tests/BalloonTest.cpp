// Hover balloons as the bar shows and removes them: where they come up, what they hold and
// that they leave the focus and the mouse to the windows below.
#include <gtest/gtest.h>

#include <string>

#include "winkit/winkit.h"

namespace {

std::string TextOf(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class BalloonTest : public ::testing::Test {
protected:
    BalloonTest() { SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0); }
    void Pump()
    {
        MSG msg;
        for (int i = 0; i < 10; ++i, Sleep(10))
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    RECT work = {};
};

TEST_F(BalloonTest, ComesUpBelowThePointerWithoutTakingTheFocusOrTheMouse)
{
    HWND focus =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 300, 300, 50, 50, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(focus);
    SetCursorPos(200, 200);
    HWND balloon = WK_ShowBalloon("Current Status");
    ASSERT_NE(nullptr, balloon);
    Pump();
    char cls[32] = "";
    GetClassNameA(balloon, cls, sizeof cls);
    EXPECT_STREQ("KVXBalloon", cls);
    EXPECT_EQ("Current Status", TextOf(balloon));
    EXPECT_TRUE(IsWindowVisible(balloon));
    EXPECT_TRUE(GetWindowLongA(balloon, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(focus, GetForegroundWindow()) << "the focus stays where it was";
    RECT rect;
    GetWindowRect(balloon, &rect);
    EXPECT_EQ(200, rect.left);
    EXPECT_GT(rect.top, 200) << "below the pointer";
    const POINT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    EXPECT_NE(balloon, WindowFromPoint(middle)) << "the pointer belongs to what is below";

    HDC dc = GetDC(balloon);
    bool yellow = false;
    for (int x = 0; x < rect.right - rect.left && !yellow; ++x)
        for (int y = 0; y < rect.bottom - rect.top && !yellow; ++y) yellow = GetPixel(dc, x, y) == RGB(255, 255, 0);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 3, (rect.bottom - rect.top) / 2)) << "black inside its margin";
    ReleaseDC(balloon, dc);
    EXPECT_TRUE(yellow) << "yellow text";
    EXPECT_TRUE(DestroyWindow(balloon));
    DestroyWindow(focus);
}

TEST_F(BalloonTest, StaysInsideTheWorkAreaAndCutsLongTexts)
{
    SetCursorPos(work.right - 5, work.bottom - 5);
    HWND balloon = WK_ShowBalloon(std::string(2000, 'w').c_str());
    ASSERT_NE(nullptr, balloon);
    EXPECT_EQ(511u, TextOf(balloon).size());
    RECT rect;
    GetWindowRect(balloon, &rect);
    EXPECT_LE(rect.right, work.right);
    EXPECT_LE(rect.bottom, work.bottom) << "above the pointer when there is no room below";
    EXPECT_GE(rect.left, work.left);
    EXPECT_GE(rect.top, work.top);
    DestroyWindow(balloon);

    balloon = WK_ShowBalloon(nullptr);
    ASSERT_NE(nullptr, balloon) << "no text is an empty balloon";
    EXPECT_EQ("", TextOf(balloon));
    DestroyWindow(balloon);
}

} // namespace
