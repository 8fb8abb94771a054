// Balloons and menu frames of the bar, and the C entry of the information windows.
#include "winkit/winkit.h"

#include "Balloon.h"
#include "InfoWindow.h"
#include "records/Guard.h"

void WK_PaintMenuNC(HDC dc)
{
    Guard([&] {
        // An item's device context belongs to the menu's window; the frame is that window's edge.
        HWND menu = WindowFromDC(dc);
        if (!menu) return;
        HDC frame = GetWindowDC(menu);
        if (!frame) return;
        RECT rect;
        GetWindowRect(menu, &rect);
        OffsetRect(&rect, -rect.left, -rect.top);
        const COLORREF edges[] = {WK_MENU_EDGE, WK_MENU_BEVEL};
        for (COLORREF colour : edges) {
            HBRUSH brush = CreateSolidBrush(colour);
            FrameRect(frame, &rect, brush);
            DeleteObject(brush);
            InflateRect(&rect, -1, -1);
        }
        ReleaseDC(menu, frame);
    });
}

HWND WK_ShowBalloon(const char* text)
{
    return Guard<HWND>(nullptr, [&] { return CBalloon::Show(text); });
}

HWND WK_Info(const char* title, const char* text, HICON icon)
{
    return Guard<HWND>(nullptr, [&] { return CInfoWindow::Show(title, text, icon); });
}
