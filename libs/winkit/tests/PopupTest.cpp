// The popups the bar shows through the library: hover balloons, which leave the focus and the
// mouse to the windows below, and the frame of an owner-drawn menu, read back from the real
// windows' pixels.
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

TEST(PopupTest, ABalloonComesUpByThePointerInsideTheWorkAreaWithoutTakingFocusOrMouse)
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    HWND below = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 300, 300, 50, 50, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(below);
    const struct {
        POINT pointer;
        std::string text;
        size_t shown; // characters of it the balloon holds
    } cases[] = {
        {{200, 200}, "Current Status", 14},
        {{work.right - 5, work.bottom - 5}, std::string(511, 'w'), 511},
        {{work.left, work.top}, std::string(512, 'w'), 511},
    };
    for (const auto& c : cases) {
        SetCursorPos(c.pointer.x, c.pointer.y);
        HWND balloon = WK_ShowBalloon(c.text.c_str());
        ASSERT_NE(nullptr, balloon);
        EXPECT_EQ(c.text.substr(0, c.shown), TextOf(balloon));
        RECT rect;
        GetWindowRect(balloon, &rect);
        EXPECT_TRUE(rect.left >= work.left && rect.top >= work.top && rect.right <= work.right && rect.bottom <= work.bottom);
        EXPECT_TRUE(rect.top > c.pointer.y || rect.bottom < c.pointer.y) << "beside the pointer, not over it";
        EXPECT_EQ(below, GetForegroundWindow()) << "the focus stays where it was";
        const POINT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        EXPECT_NE(balloon, WindowFromPoint(middle)) << "the mouse belongs to what is below";
        EXPECT_TRUE(GetWindowLongA(balloon, GWL_EXSTYLE) & WS_EX_TOPMOST);
        HDC dc = GetDC(balloon);
        bool yellow = false;
        for (int y = 0; y < rect.bottom - rect.top && !yellow; ++y)
            for (int x = 0; x < rect.right - rect.left && !yellow; ++x) yellow = GetPixel(dc, x, y) == RGB(255, 255, 0);
        EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 3, (rect.bottom - rect.top) / 2)) << "black inside its margin";
        ReleaseDC(balloon, dc);
        EXPECT_TRUE(yellow) << "yellow text";
        DestroyWindow(balloon);
    }
    HWND empty = WK_ShowBalloon(nullptr);
    EXPECT_EQ("", TextOf(empty));
    DestroyWindow(empty);
    DestroyWindow(below);
}

COLORREF g_frame[2] = {CLR_INVALID, CLR_INVALID}; // edge and bevel as the open menu shows them

LRESULT CALLBACK MenuOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static HWND menu = nullptr;
    if (message == WM_MEASUREITEM) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemWidth = 120;
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 20;
        return TRUE;
    }
    if (message == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        WK_PaintMenuNC(item->hDC);
        menu = WindowFromDC(item->hDC);
        return TRUE;
    }
    if (message == WM_TIMER) { // the menu's own loop runs the owner's timers: the frame is up by now
        KillTimer(window, wParam);
        HDC dc = GetWindowDC(menu);
        for (int x = 0; x < 2; ++x) g_frame[x] = GetPixel(dc, x, 10);
        ReleaseDC(menu, dc);
        EndMenu();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(PopupTest, AnOwnerDrawnItemPaintsItsMenusFrameInTheBarsColours)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MenuOwner;
    wc.lpszClassName = "KVXMenuOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 50, 50, 40, 40, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner);
    HMENU menu = CreatePopupMenu();
    for (UINT id = 1; id <= 2; ++id) AppendMenuA(menu, MF_OWNERDRAW, id, nullptr);
    SetTimer(owner, 1, 500, nullptr);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, 60, 60, 0, owner, nullptr);
    EXPECT_EQ(WK_MENU_EDGE, g_frame[0]);
    EXPECT_EQ(WK_MENU_BEVEL, g_frame[1]);
    DestroyMenu(menu);
    DestroyWindow(owner);
    HDC memory = CreateCompatibleDC(nullptr);
    WK_PaintMenuNC(memory); // a device context of no window: nothing, and no harm
    DeleteDC(memory);
}

} // namespace
