#include "support/MenuProbe.h"

#include "support/Wait.h"
#include "support/WindowDriver.h"

std::vector<HWND> WaitForMenus(DWORD pid, size_t count, DWORD timeoutMs)
{
    std::vector<HWND> found;
    // Topmost, so newest, first.
    WaitFor([&] { return (found = VisibleWindows(pid, "#32768")).size() >= count; }, timeoutMs);
    if (found.size() < count) found.clear();
    return found;
}

std::vector<MenuItemSeen> MenuItems(HMENU menu)
{
    std::vector<MenuItemSeen> items;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back({info.wID, info.dwItemData, info.hSubMenu});
    }
    return items;
}

HMENU MenuOf(HWND menuWindow) { return reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0)); }

void PressKeys(HWND menuWindow, std::initializer_list<WORD> keys)
{
    for (WORD key : keys) {
        PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
        Sleep(60);
    }
}
