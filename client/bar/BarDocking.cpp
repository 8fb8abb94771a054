// CBar: floating, sliding and docking. A press on the bar outside the hot regions drags
// it; within 10 pixels of a work area edge it takes the docked place, and a release there
// docks it as an appbar. Hiding frees the strip, showing docks it again.
#include "bar/Bar.h"

#include "app/Globals.h"
#include "bar/AppBar.h"
#include "records/Bar.h"
#include "winkit/winkit.h"

namespace {

const LONG kEdgeZone = 10;
const LONG kMinHeight = 220;

RECT WorkArea()
{
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

bool ButtonDown(int key) { return GetAsyncKeyState(key) != 0; }

} // namespace

void CBar::SetDockEdge(WORD edge)
{
    // A hand-edited value other than the two edges means floating.
    m_dockEdge = edge == BAR_DOCK_LEFT || edge == BAR_DOCK_RIGHT ? edge : 0;
}

void CBar::SetDock(WORD edge)
{
    if (edge == m_dockEdge) return;
    if (edge != BAR_DOCK_LEFT && edge != BAR_DOCK_RIGHT) {
        // Undocking leaves the window where it is, at its docked height.
        m_dockEdge = 0;
        if (m_appBar) {
            m_appBar->SetEdge(0);
            m_appBar.reset();
        }
        return;
    }
    m_appBar.reset(); // gives the old edge's strip back before the new one is asked for
    m_appBar.reset(new CAppBar(g_hMainWnd, edge));
    const RECT work = WorkArea();
    RECT window;
    GetWindowRect(g_hMainWnd, &window);
    const LONG width = window.right - window.left;
    // Floating while it moves, so the docked height is not held.
    m_dockEdge = 0;
    const LONG x = edge == BAR_DOCK_LEFT ? work.left - 4 : work.right - width + 5;
    SetWindowPos(g_hMainWnd, nullptr, x, work.top - 4, width, work.bottom - work.top + 4, SWP_NOOWNERZORDER);
    m_dockEdge = edge;
    m_appBar->SetPos();
}

void CBar::DragMove(LONG x, LONG y, bool centre)
{
    SetFocus(g_hMainWnd);
    UpdateHover(x, y);
    if (LitRegion()) {
        RepeatScroll();
        return;
    }
    POINT grab;
    GetCursorPos(&grab);
    ScreenToClient(g_hMainWnd, &grab);
    grab.x += GetSystemMetrics(SM_CXSIZEFRAME) - 1;
    grab.y += GetSystemMetrics(SM_CYSIZEFRAME) - 1;
    const RECT work = WorkArea();
    const LONG docked = work.bottom - work.top + 4;
    RECT window;
    GetWindowRect(g_hMainWnd, &window);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    // The floating height is learnt only from a bar found at another height than docked.
    if (height != docked) m_lastFloatingHeight = height;
    const LONG floating = m_lastFloatingHeight;

    if (centre) {
        SetWindowPos(g_hMainWnd, nullptr, 0, 0, width, floating, SWP_NOMOVE | SWP_NOZORDER);
        WK_Center(g_hMainWnd, TRUE);
        return;
    }
    if (ButtonDown(VK_RBUTTON)) return; // the right button never moves the bar

    g_bDragging = true;
    WORD zone = 0;
    while (ButtonDown(VK_LBUTTON)) {
        POINT pointer;
        GetCursorPos(&pointer);
        if (pointer.x <= work.left + kEdgeZone) {
            zone = BAR_DOCK_LEFT;
            const LONG left = m_dockEdge == BAR_DOCK_LEFT ? work.left - width : work.left - 4;
            SetWindowPos(g_hMainWnd, nullptr, left, work.top - 4, width, docked, SWP_NOZORDER);
        } else if (pointer.x >= work.right - kEdgeZone) {
            zone = BAR_DOCK_RIGHT;
            const LONG left = m_dockEdge == BAR_DOCK_RIGHT ? work.right : work.right - width + 5;
            SetWindowPos(g_hMainWnd, nullptr, left, work.top - 4, width, docked, SWP_NOZORDER);
        } else {
            zone = 0;
            SetWindowPos(g_hMainWnd, nullptr, pointer.x - grab.x, pointer.y - grab.y, width, floating, SWP_NOZORDER);
        }
        WK_Idle();
        Sleep(1);
    }
    g_bDragging = false;
    SetDock(zone);
}

void CBar::OnShowWindow(bool shown)
{
    if (!shown) {
        m_rememberedEdge = m_dockEdge;
        SetDock(0);
    } else {
        SetDock(m_rememberedEdge);
    }
}

void CBar::OnGetMinMaxInfo(MINMAXINFO* info) const
{
    info->ptMinTrackSize.x = BAR_WIDTH;
    info->ptMaxTrackSize.x = BAR_WIDTH;
    info->ptMinTrackSize.y = kMinHeight;
    if (m_dockEdge && !g_bDragging) {
        RECT window;
        GetWindowRect(g_hMainWnd, &window);
        info->ptMinTrackSize.y = info->ptMaxTrackSize.y = window.bottom - window.top;
    }
}
