// Creating, placing and framing the bar window.
#include "winkit/winkit.h"

#include "records/Guard.h"

namespace {

const int kDefaultHeight = 420;
const int kDefaultMargin = 24;

RECT WorkAreaOf(HMONITOR monitor)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    return info.rcWork;
}

// First run: a bar of the default height near the right edge of the primary work area,
// where a docked bar would go too.
void ApplyDefaults(int& x, int& y, int width, int& height)
{
    const POINT origin = {0, 0};
    RECT work = WorkAreaOf(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY));
    const int workHeight = work.bottom - work.top;
    if (height < 1) height = kDefaultHeight < workHeight ? kDefaultHeight : workHeight;
    if (x == -1) x = work.right - width - kDefaultMargin;
    if (y == -1) y = work.top + (workHeight - height) / 2;
}

// A saved position from another monitor layout must not leave the bar out of sight.
void KeepReachable(int& x, int& y, int width, int height)
{
    RECT wanted = {x, y, x + width, y + height};
    if (MonitorFromRect(&wanted, MONITOR_DEFAULTTONULL)) return;
    RECT work = WorkAreaOf(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST));
    if (x + width > work.right) x = work.right - width;
    if (x < work.left) x = work.left;
    if (y + height > work.bottom) y = work.bottom - height;
    if (y < work.top) y = work.top;
}

} // namespace

void WK_Init(void)
{
    // The frame and loop need no preparation; information windows register their class on
    // first use, and balloons will register theirs here once they exist.
}

HWND WK_CreateMain(const char* name, WNDPROC proc, int x, int y, int width, int height, HINSTANCE instance)
{
    return Guard<HWND>(nullptr, [&]() -> HWND {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
        wc.lpszClassName = name;
        if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

        ApplyDefaults(x, y, width, height);
        KeepReachable(x, y, width, height);
        return CreateWindowExA(WS_EX_TOOLWINDOW, name, "KVX", WS_POPUP | WS_CLIPCHILDREN, x, y, width, height, nullptr,
                               nullptr, instance, nullptr);
    });
}

void WK_Center(HWND window, BOOL keepOnScreen)
{
    Guard([&] {
        RECT rc;
        if (!GetWindowRect(window, &rc)) return;
        RECT work = WorkAreaOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
        const int width = rc.right - rc.left;
        int height = rc.bottom - rc.top;
        if (keepOnScreen && height > work.bottom - work.top) height = work.bottom - work.top;
        const int x = work.left + (work.right - work.left - width) / 2;
        const int y = work.top + (work.bottom - work.top - height) / 2;
        SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

void WK_PaintNC(HWND window)
{
    Guard([&] {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        if (!region) return;
        if (GetWindowRgn(window, region) != ERROR) {
            HDC dc = GetWindowDC(window);
            if (dc) {
                HBRUSH edge = CreateSolidBrush(RGB(16, 16, 24));
                FrameRgn(dc, region, edge, 1, 1);
                DeleteObject(edge);
                ReleaseDC(window, dc);
            }
        }
        DeleteObject(region);
    });
}
