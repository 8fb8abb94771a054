// A hot region following the pointer on a real window: its edges, its anchor to the
// client bottom, hover against pressed, and what its release does.
#include <gtest/gtest.h>

#include "bar/HotRegion.h"
#include "menus/CommandIds.h"
#include "support/Input.h"

namespace {

RECT g_commandRect = {};
UINT g_command = 0;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        g_command = LOWORD(wParam);
        g_commandRect = *reinterpret_cast<const RECT*>(lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class HotRegionTest : public ::testing::Test {
protected:
    HotRegionTest()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.lpszClassName = "KVXHotRegionTest";
        RegisterClassA(&wc);
        window = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 40, 40, 199, 300,
                                 nullptr, nullptr, nullptr, nullptr);
        LeftUp();
        GetAsyncKeyState(VK_LBUTTON); // forget any press since the last query
    }
    ~HotRegionTest() override { DestroyWindow(window); }
    // Whether the region would repaint: its tracking invalidated something.
    bool Invalidated()
    {
        RECT update;
        const bool any = GetUpdateRect(window, &update, FALSE) != FALSE;
        ValidateRect(window, nullptr);
        return any;
    }

    HWND window = nullptr;
};

TEST_F(HotRegionTest, EdgesAreInsideAndPointsLeftOrAboveAreNot)
{
    CHotRegion exit(window, {173, 6, 189, 21}, CMD_EXIT, 0);
    ValidateRect(window, nullptr);
    EXPECT_TRUE(exit.Track(189, 21)) << "right and bottom edges are inside";
    EXPECT_TRUE(exit.IsHovered());
    EXPECT_TRUE(Invalidated()) << "becoming hovered repaints the region";
    EXPECT_TRUE(exit.Track(173, 6));
    EXPECT_FALSE(Invalidated()) << "no change, no repaint";
    EXPECT_FALSE(exit.Track(190, 21));
    EXPECT_TRUE(Invalidated());

    CHotRegion ad(window, {0, 0, 188, 78}, CMD_AD, 0);
    EXPECT_TRUE(ad.Track(0, 0));
    EXPECT_FALSE(ad.Track(-1, 5)) << "a negative coordinate is a large unsigned one";
    EXPECT_FALSE(ad.Track(5, -1));
}

TEST_F(HotRegionTest, BottomAnchoredRegionsMoveWithTheClientHeight)
{
    // 300 high, bottom piece 60: the piece's top is at 240.
    CHotRegion menu(window, {12, 29, 63, 48}, CMD_MAIN_MENU, 60);
    EXPECT_FALSE(menu.Track(20, 40));
    EXPECT_TRUE(menu.Track(20, 269));
    EXPECT_EQ(269, menu.CurrentRect().top);
    EXPECT_EQ(288, menu.CurrentRect().bottom);
    EXPECT_FALSE(menu.Track(20, 289));

    SetWindowPos(window, nullptr, 0, 0, 199, 400, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(menu.Track(20, 369)) << "a taller bar moves the anchored regions down";
    EXPECT_EQ(388, menu.CurrentRect().bottom);
}

TEST_F(HotRegionTest, TheLeftButtonTurnsHoverIntoPressedAndTheReleaseBack)
{
    CHotRegion region(window, {36, 89, 58, 111}, CMD_PREFS_MENU, 0);
    ASSERT_TRUE(region.Track(40, 100));
    LeftDown();
    EXPECT_TRUE(region.Track(40, 100));
    EXPECT_TRUE(region.IsPressed());
    EXPECT_FALSE(region.IsHovered()) << "one look at a time";
    LeftUp();
    GetAsyncKeyState(VK_LBUTTON);
    EXPECT_TRUE(region.Track(40, 100));
    EXPECT_TRUE(region.IsHovered());
    EXPECT_FALSE(region.IsPressed());
}

TEST_F(HotRegionTest, ActivatingSendsTheCommandWithTheCurrentRectangleOrHidesOrQuits)
{
    CHotRegion status(window, {70, 29, 187, 48}, CMD_STATUS_MENU, 60);
    status.Track(0, 0);
    status.Activate();
    EXPECT_EQ(static_cast<UINT>(CMD_STATUS_MENU), g_command);
    EXPECT_EQ(269, g_commandRect.top) << "the rectangle as last tracked, in client coordinates";

    CHotRegion hide(window, {151, 6, 168, 21}, CMD_HIDE, 0);
    hide.Activate();
    EXPECT_FALSE(IsWindowVisible(window));

    MSG msg;
    CHotRegion exit(window, {173, 6, 189, 21}, CMD_EXIT, 0);
    exit.Activate();
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
