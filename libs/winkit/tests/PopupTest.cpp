// The popups the bar shows through the library: hover balloons, which leave the focus and the
// mouse to the windows below, and the frame of an owner-drawn menu, read from the window's pixels.
#include <gtest/gtest.h>

#include <tuple>

#include "support/WindowDriver.h"
#include "winkit/winkit.h"

namespace {

TEST(PopupTest, ABalloonComesUpBesideThePointerInsideTheWorkAreaWithoutTakingFocusOrMouse)
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    HWND below =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 300, 300, 50, 50, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(below);
    // Where the pointer rests, the text, and how much of it shows: up to 511 characters.
    const std::tuple<POINT, std::string, size_t> cases[] = {
        {{200, 200}, "Current Status", 14},
        {{work.right - 5, work.bottom - 5}, std::string(511, 'w'), 511},
        {{work.left, work.top}, std::string(512, 'w'), 511}};
    for (const auto& [pointer, text, shown] : cases) {
        SetCursorPos(pointer.x, pointer.y);
        HWND balloon = WK_ShowBalloon(text.c_str());
        RECT rect = {};
        GetWindowRect(balloon, &rect);
        EXPECT_EQ(text.substr(0, shown), WindowText(balloon));
        EXPECT_TRUE(rect.left >= work.left && rect.top >= work.top && rect.right <= work.right &&
                    rect.bottom <= work.bottom);
        EXPECT_TRUE(rect.top > pointer.y || rect.bottom < pointer.y) << "beside the pointer, not over it";
        EXPECT_NE(balloon, WindowFromPoint({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2})) << "no mouse";
        EXPECT_EQ(below, GetForegroundWindow()) << "the focus stays where it was";
        DestroyWindow(balloon);
    }
    HWND empty = WK_ShowBalloon(nullptr);
    EXPECT_EQ("", WindowText(empty));
    DestroyWindow(empty);
    DestroyWindow(below);
}

// An owner-drawn item is painted through a device context of its menu's window client area; the
// frame goes on that window's outer edge, here a bordered window's, which the client area does not reach.
TEST(PopupTest, AnOwnerDrawnItemPaintsItsMenusFrameInTheBarsColours)
{
    HWND menu = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_BORDER | WS_VISIBLE, 50, 50, 40, 40, nullptr, nullptr,
                                nullptr, nullptr);
    HDC item = GetDC(menu);
    WK_PaintMenuNC(item);
    ReleaseDC(menu, item);
    HDC frame = GetWindowDC(menu);
    EXPECT_EQ(WK_MENU_EDGE, GetPixel(frame, 0, 10));
    EXPECT_EQ(WK_MENU_BEVEL, GetPixel(frame, 1, 10));
    ReleaseDC(menu, frame);
    DestroyWindow(menu);
    HDC memory = CreateCompatibleDC(nullptr);
    WK_PaintMenuNC(memory); // a device context of no window: nothing, and no harm
    DeleteDC(memory);
}

} // namespace
