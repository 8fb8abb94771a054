#include "bar/AppBar.h"

#include <shellapi.h>

#include "app/Globals.h"
#include "app/Settings.h"
#include "records/Bar.h"

CAppBar::CAppBar(HWND window, WORD edge) : m_window(window), m_edge(edge)
{
    APPBARDATA data = Data();
    data.uCallbackMessage = BAR_APPBAR_NOTIFY;
    SHAppBarMessage(ABM_NEW, &data);
    g_Settings->WriteInt("Window", "Dock", m_edge);
}

CAppBar::~CAppBar()
{
    APPBARDATA data = Data();
    SHAppBarMessage(ABM_REMOVE, &data);
    g_Settings->WriteInt("Window", "Dock", m_edge);
}

APPBARDATA CAppBar::Data() const
{
    APPBARDATA data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_window;
    return data;
}

void CAppBar::SetPos()
{
    // No ABM_QUERYPOS first: the bar keeps the rectangle it gave itself.
    APPBARDATA data = Data();
    data.uEdge = m_edge == BAR_DOCK_LEFT ? ABE_LEFT : ABE_RIGHT;
    GetWindowRect(m_window, &data.rc);
    SHAppBarMessage(ABM_SETPOS, &data);
}
