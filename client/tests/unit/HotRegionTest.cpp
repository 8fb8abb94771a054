// A hot region following the pointer on a real window: its inclusive edges, its anchor to
// the client bottom, hover against pressed, and what its release does.
#include <gtest/gtest.h>

#include "bar/HotRegion.h"
#include "menus/CommandIds.h"
#include "support/Input.h"

namespace {

RECT g_commandRect = {};
UINT g_command = 0;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COMMAND) return DefWindowProcA(window, message, wParam, lParam);
    g_command = LOWORD(wParam);
    g_commandRect = *reinterpret_cast<const RECT*>(lParam);
    return 0;
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
    // Whether the region's tracking invalidated anything since the last look.
    bool Repainted()
    {
        RECT update;
        const bool any = GetUpdateRect(window, &update, FALSE) != FALSE;
        ValidateRect(window, nullptr);
        return any;
    }

    HWND window = nullptr;
};

TEST_F(HotRegionTest, EdgesAreInsideAndAnchoredRegionsMoveWithTheClientHeight)
{
    CHotRegion exit(window, {173, 6, 189, 21}, CMD_EXIT, 0);
    CHotRegion menu(window, {12, 29, 63, 48}, CMD_MAIN_MENU, 60); // 300 high: the bottom piece starts at 240
    const struct {
        CHotRegion& region;
        LONG x, y;
        bool inside;
    } rows[] = {
        {exit, 173, 6, true},    {exit, 189, 21, true},  {exit, 172, 10, false}, {exit, 190, 10, false},
        {exit, 180, 5, false},   {exit, 180, 22, false}, {exit, -1, 10, false},  {menu, 20, 40, false},
        {menu, 20, 268, false},  {menu, 12, 269, true},  {menu, 63, 288, true},  {menu, 20, 289, false},
    };
    for (const auto& row : rows) {
        ValidateRect(window, nullptr);
        const bool was = row.region.IsHovered();
        EXPECT_EQ(row.inside, row.region.Track(row.x, row.y)) << row.x << ", " << row.y;
        EXPECT_EQ(row.inside, row.region.IsHovered());
        EXPECT_EQ(was != row.inside, Repainted()) << "a change repaints, no change does not";
    }
    EXPECT_EQ(269, menu.CurrentRect().top);
    EXPECT_FALSE(menu.Track(5, -1)) << "a point above the client area is outside";
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
    CHotRegion(window, {151, 6, 168, 21}, CMD_HIDE, 0).Activate();
    EXPECT_FALSE(IsWindowVisible(window));
    CHotRegion(window, {173, 6, 189, 21}, CMD_EXIT, 0).Activate();
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
