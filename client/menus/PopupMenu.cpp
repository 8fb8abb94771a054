#include "menus/PopupMenu.h"

#include "app/Globals.h"

namespace {
const LONG kMenuWidth = 150; // what the menus are taken to need at the screen's right edge
}

CPopupMenu::CPopupMenu() : m_menu(CreatePopupMenu()) {}

CPopupMenu::~CPopupMenu()
{
    if (!m_menu) return;
    // A submenu is its own object's to destroy: unlinked first, so that this menu's
    // destruction never reaches a handle that is someone else's or already gone.
    for (int i = GetMenuItemCount(m_menu); i > 0; --i) RemoveMenu(m_menu, 0, MF_BYPOSITION);
    DestroyMenu(m_menu);
}

bool CPopupMenu::Insert(MENUITEMINFOA& item)
{
    if (!m_menu) return false;
    item.cbSize = sizeof item;
    item.fType = MFT_OWNERDRAW;
    return InsertMenuItemA(m_menu, 0, TRUE, &item) != FALSE;
}

bool CPopupMenu::AddItem(UINT id, ULONG_PTR data)
{
    MENUITEMINFOA item = {};
    item.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
    item.wID = id;
    item.dwItemData = data;
    return Insert(item);
}

bool CPopupMenu::AddSubmenu(UINT id, ULONG_PTR data, const CPopupMenu& submenu)
{
    if (!submenu.m_menu) return false;
    MENUITEMINFOA item = {};
    item.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA | MIIM_SUBMENU;
    item.wID = id;
    item.dwItemData = data;
    item.hSubMenu = submenu.m_menu;
    return Insert(item);
}

bool CPopupMenu::Track(HWND owner, LONG x, LONG y, UINT flags) const
{
    if (!m_menu) return true;
    const LONG screenWidth = GetSystemMetrics(SM_CXSCREEN);
    POINT point;
    GetCursorPos(&point);
    if (x != 0 && y != 0) {
        point = {x, y};
        ClientToScreen(owner, &point);
    }
    if (point.x + kMenuWidth > screenWidth) {
        point.x = screenWidth;
        flags |= TPM_RIGHTALIGN;
    }
    SetForegroundWindow(owner);
    g_bDragging = true;
    TrackPopupMenu(m_menu, flags | TPM_RIGHTBUTTON | TPM_VERTICAL, point.x, point.y, 0, owner, nullptr);
    g_bDragging = false;
    SetForegroundWindow(owner);
    return true;
}
