// Watching and answering the popup menus a process opens. A menu runs its own modal loop,
// so a test reads and answers it from a thread of its own while the menu's thread is inside.
#ifndef KVX_TEST_MENU_PROBE_H
#define KVX_TEST_MENU_PROBE_H

#include <windows.h>

#include <initializer_list>
#include <vector>

struct MenuItemSeen {
    UINT id;
    ULONG_PTR data;
    HMENU submenu; // null for a plain item
};

// The visible popup menu windows of process `pid`, the one opened last first, once there
// are at least `count` of them within `timeoutMs`; empty otherwise.
std::vector<HWND> WaitForMenus(DWORD pid, size_t count, DWORD timeoutMs = 3000);
// The items of a menu of this process, top to bottom; and the menu a menu window shows.
std::vector<MenuItemSeen> MenuItems(HMENU menu);
HMENU MenuOf(HWND menuWindow);
// Posts key presses to a menu window, the way its own loop reads the keyboard.
void PressKeys(HWND menuWindow, std::initializer_list<WORD> keys);

#endif
