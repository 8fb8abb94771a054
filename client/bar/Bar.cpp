#include "bar/Bar.h"

#include "app/Globals.h"
#include "roster/roster.h"
#include "winkit/winkit.h"

const CBar::Route CBar::kRoutes[] = {
    {WM_SIZE, &CBar::OnSizeMessage},
    {WM_CLOSE, &CBar::OnCloseMessage},
    {WM_ERASEBKGND, &CBar::OnEraseBackground},
    {WM_PAINT, &CBar::OnPaintMessage},
    {WM_NCPAINT, &CBar::OnNcPaintMessage},
    {WM_KEYDOWN, &CBar::OnKeyDownMessage},
    {WM_WINDOWPOSCHANGED, &CBar::OnPositionChanged},
};

CBar::CBar() = default;

CBar::~CBar() = default;

bool CBar::OnCreate()
{
    RL_Init(g_hMainWnd);
    return true;
}

LRESULT CBar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const Route& route : kRoutes)
        if (route.message == message) return (this->*route.handler)(window, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

bool CBar::LastWindowRect(RECT* rect) const
{
    if (!m_hasRect) return false;
    *rect = m_lastRect;
    return true;
}

LRESULT CBar::OnSizeMessage(HWND window, WPARAM wParam, LPARAM lParam)
{
    SetWindowRegion(window);
    return DefWindowProcA(window, WM_SIZE, wParam, lParam);
}

LRESULT CBar::OnCloseMessage(HWND window, WPARAM wParam, LPARAM lParam)
{
    PostQuitMessage(0);
    return DefWindowProcA(window, WM_CLOSE, wParam, lParam);
}

LRESULT CBar::OnEraseBackground(HWND, WPARAM, LPARAM)
{
    // The paint covers the whole bar; erasing first would only flicker.
    return 1;
}

LRESULT CBar::OnPaintMessage(HWND window, WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc) {
        HBRUSH background = CreateSolidBrush(RGB(0, 0, 96));
        FillRect(dc, &ps.rcPaint, background);
        DeleteObject(background);
        EndPaint(window, &ps);
    }
    return 0;
}

LRESULT CBar::OnNcPaintMessage(HWND window, WPARAM, LPARAM)
{
    WK_PaintNC(window);
    return 0;
}

LRESULT CBar::OnKeyDownMessage(HWND, WPARAM wParam, LPARAM)
{
    OnKeyDown(wParam);
    return 0;
}

LRESULT CBar::OnPositionChanged(HWND window, WPARAM wParam, LPARAM lParam)
{
    m_hasRect = GetWindowRect(window, &m_lastRect) != FALSE;
    return DefWindowProcA(window, WM_WINDOWPOSCHANGED, wParam, lParam);
}

void CBar::OnKeyDown(WPARAM key)
{
    if (key == VK_ESCAPE &&
        MessageBoxA(g_hMainWnd, "Do you want to quit KVX?", "KVX", MB_YESNO | MB_ICONQUESTION) == IDYES)
        PostQuitMessage(0);
}

// Rounded corners; the frame outside the region is cut away.
void CBar::SetWindowRegion(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HRGN region = CreateRoundRectRgn(4, 4, client.right + 2, client.bottom + 8, 12, 12);
    if (region && !SetWindowRgn(window, region, TRUE)) DeleteObject(region);
}
