// The menu frame painted from an owner-drawn item of a real popup menu, as the bar's
// painter calls it, read back from the menu window's pixels.
#include <gtest/gtest.h>

#include "winkit/winkit.h"

namespace {

struct Seen {
    HWND menu = nullptr;
    COLORREF edge = CLR_INVALID;
    COLORREF bevel = CLR_INVALID;
};
Seen g_seen;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        item->itemWidth = 120;
        item->itemHeight = 20;
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        WK_PaintMenuNC(item->hDC);
        g_seen.menu = WindowFromDC(item->hDC);
        return TRUE;
    }
    case WM_TIMER: {
        // The menu's own loop dispatches the owner's timers: the frame is on screen by now.
        KillTimer(window, wParam);
        if (g_seen.menu) {
            HDC dc = GetWindowDC(g_seen.menu);
            g_seen.edge = GetPixel(dc, 0, 10);
            g_seen.bevel = GetPixel(dc, 1, 10);
            ReleaseDC(g_seen.menu, dc);
        }
        EndMenu();
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MenuFrameTest, AnOwnerDrawnItemPaintsItsMenusFrameInTheBarsColours)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = "KVXMenuFrameTest";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 50, 50, 40, 40, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    SetForegroundWindow(owner);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_OWNERDRAW, 1, nullptr);
    AppendMenuA(menu, MF_OWNERDRAW, 2, nullptr);
    SetTimer(owner, 1, 500, nullptr);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, 60, 60, 0, owner, nullptr);

    ASSERT_NE(nullptr, g_seen.menu) << "an item's device context belongs to the menu's window";
    EXPECT_EQ(WK_MENU_EDGE, g_seen.edge);
    EXPECT_EQ(WK_MENU_BEVEL, g_seen.bevel);
    DestroyMenu(menu);
    DestroyWindow(owner);

    HDC memory = CreateCompatibleDC(nullptr);
    WK_PaintMenuNC(memory);
    DeleteDC(memory);
}

} // namespace
