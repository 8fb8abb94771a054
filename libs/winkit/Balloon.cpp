#include "Balloon.h"
#include "records/WindowClass.h"
#include "records/ThisModule.h"

namespace {

const int kMaxWidth = 240; // longer lines wrap
const int kMargin = 5;
const int kPointerGap = 20; // below the pointer, clear of its arrow
const COLORREF kBack = RGB(0, 0, 0);
const COLORREF kText = RGB(255, 255, 0);
const COLORREF kEdge = RGB(88, 112, 168);
const UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS;

} // namespace

const char CBalloon::kClassName[] = "KVXBalloon";

HFONT CBalloon::Font() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

HWND CBalloon::Show(const char* text)
{
    HINSTANCE instance = ThisModule();
    if (!RegisterOnce(instance)) return nullptr;
    char copy[kMaxText + 1] = "";
    if (text) lstrcpynA(copy, text, sizeof copy);
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, copy, WS_POPUP, 0, 0,
                                  0, 0, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    const SIZE size = Measure(window, copy);
    POINT pointer = {};
    GetCursorPos(&pointer);
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    LONG x = pointer.x;
    LONG y = pointer.y + kPointerGap;
    if (x + size.cx > work.right) x = work.right - size.cx;
    if (y + size.cy > work.bottom) y = pointer.y - size.cy - 2; // above the pointer instead
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    HRGN round = CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, 8, 8);
    if (round && !SetWindowRgn(window, round, FALSE)) DeleteObject(round);
    SetWindowPos(window, HWND_TOPMOST, x, y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(window);
    return window;
}

bool CBalloon::RegisterOnce(HINSTANCE instance)
{
    return RegisterWindowClassOnce(instance, kClassName, &WindowProc, nullptr) != FALSE;
}

SIZE CBalloon::Measure(HWND window, const char* text)
{
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, Font());
    RECT box = {0, 0, kMaxWidth, 0};
    DrawTextA(dc, *text ? text : " ", -1, &box, kTextFormat | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {box.right + 2 * kMargin, box.bottom + 2 * kMargin};
}

void CBalloon::Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH back = CreateSolidBrush(kBack);
    HPEN edge = CreatePen(PS_SOLID, 1, kEdge);
    HGDIOBJ oldBrush = SelectObject(dc, back);
    HGDIOBJ oldPen = SelectObject(dc, edge);
    RoundRect(dc, 0, 0, client.right, client.bottom, 8, 8);
    char text[kMaxText + 1] = "";
    GetWindowTextA(window, text, sizeof text);
    HGDIOBJ oldFont = SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    InflateRect(&client, -kMargin, -kMargin);
    DrawTextA(dc, text, -1, &client, kTextFormat);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(edge);
    DeleteObject(back);
    EndPaint(window, &paint);
}

LRESULT CALLBACK CBalloon::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: Paint(window); return 0;
    case WM_ERASEBKGND: return 1;            // the paint covers it all
    case WM_NCHITTEST: return HTTRANSPARENT; // the pointer belongs to what is below
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
