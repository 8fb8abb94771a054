#include "support/MenuProbe.h"

#include "support/Wait.h"

namespace {

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMenus(HWND window, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(window)) search->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> WaitForMenus(DWORD pid, size_t count, DWORD timeoutMs)
{
    Search search = {pid, {}};
    WaitFor(
        [&] {
            search.found.clear();
            EnumWindows(CollectMenus,
                        reinterpret_cast<LPARAM>(&search)); // topmost, so newest, first
            return search.found.size() >= count;
        },
        timeoutMs);
    if (search.found.size() < count) search.found.clear();
    return search.found;
}

std::vector<MenuItemSeen> MenuItems(HWND menuWindow)
{
    return MenuItems(reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0)));
}

std::vector<MenuItemSeen> MenuItems(HMENU menu)
{
    std::vector<MenuItemSeen> items;
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back({info.wID, info.dwItemData, info.hSubMenu != nullptr});
    }
    return items;
}

std::vector<UINT> MenuIds(HWND menuWindow)
{
    std::vector<UINT> ids;
    for (const MenuItemSeen& item : MenuItems(menuWindow)) ids.push_back(item.id);
    return ids;
}

void PressKeys(HWND menuWindow, std::initializer_list<WORD> keys)
{
    for (WORD key : keys) {
        PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
        Sleep(60);
    }
}
