#include "bar/HotRegion.h"

#include "app/Globals.h"
#include "menus/CommandIds.h"
#include "winkit/winkit.h"

CHotRegion::CHotRegion(HWND window, const RECT& rect, UINT id, LONG anchor)
    : m_window(window), m_rect(rect), m_current(rect), m_anchor(anchor), m_id(id)
{
}

bool CHotRegion::Track(LONG x, LONG y)
{
    m_current = m_rect;
    if (m_anchor) {
        RECT client;
        GetClientRect(m_window, &client);
        m_current.top += client.bottom - m_anchor;
        m_current.bottom += client.bottom - m_anchor;
    }
    // Down now or pressed since the last query: either counts as down.
    const bool down = GetAsyncKeyState(VK_LBUTTON) != 0;
    if (down && m_hover) {
        Repaint();
        m_hover = false;
    } else if (!down && m_pressed) {
        Repaint();
        m_pressed = false;
    }
    bool& state = down ? m_pressed : m_hover;
    // Unsigned: a point left of or above the client area is outside, never inside.
    const WORD ux = static_cast<WORD>(x);
    const WORD uy = static_cast<WORD>(y);
    const bool inside = ux >= m_current.left && ux <= m_current.right && uy >= m_current.top && uy <= m_current.bottom;
    if (inside != state) {
        Repaint();
        state = inside;
    }
    return state;
}

void CHotRegion::Activate()
{
    if (m_id == CMD_HIDE) ShowWindow(m_window, SW_HIDE);
    else if (m_id == CMD_EXIT) PostQuitMessage(0);
    else SendMessageA(m_window, WM_COMMAND, m_id, reinterpret_cast<LPARAM>(&m_current));
}

HWND CHotRegion::ShowBalloon(const char* text) const
{
    char balloon[kBalloonSize] = "";
    if (text) lstrcpynA(balloon, text, sizeof balloon);
    else LoadStringA(g_hInstance, m_id, balloon, sizeof balloon);
    return WK_ShowBalloon(balloon);
}

void CHotRegion::Repaint() const { InvalidateRect(m_window, &m_current, FALSE); }
