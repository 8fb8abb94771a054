// The popups the bar shows through the library: hover balloons, which leave the focus and the
// mouse to the windows below, and the frame of an owner-drawn menu, read from the menu's pixels.
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

COLORREF g_frame[2] = {CLR_INVALID, CLR_INVALID}; // the open menu's outermost and next pixel

LRESULT CALLBACK MenuOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static HWND menu = nullptr;
    if (message == WM_MEASUREITEM) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemWidth = 120;
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 20;
    } else if (message == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        WK_PaintMenuNC(item->hDC);
        menu = WindowFromDC(item->hDC);
    } else if (message == WM_TIMER) { // the menu's own loop runs the owner's timers: the frame is up by now
        KillTimer(window, wParam);
        HDC dc = GetWindowDC(menu);
        for (int x = 0; x < 2; ++x) g_frame[x] = GetPixel(dc, x, 10);
        ReleaseDC(menu, dc);
        EndMenu();
    } else {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return TRUE;
}

TEST(PopupTest, AnOwnerDrawnItemPaintsItsMenusFrameInTheBarsColours)
{
    WNDCLASSA wc = {0, MenuOwner, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "KVXMenuOwner"};
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 50, 50, 40, 40, nullptr, nullptr,
                                 nullptr, nullptr);
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
