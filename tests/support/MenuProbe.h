// Watching and answering the popup menus a process opens: menus run their own modal loop,
// so a probe works from a thread of its own while the menu's thread is inside it.
#ifndef KVX_TEST_MENU_PROBE_H
#define KVX_TEST_MENU_PROBE_H

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <thread>
#include <vector>

struct MenuItemSeen {
    UINT id;
    ULONG_PTR data;
    bool submenu;
};

// The visible popup menu windows of process `pid`, the one opened last first; waits up to
// `timeoutMs` for at least `count` of them. Empty when they did not come.
std::vector<HWND> WaitForMenus(DWORD pid, size_t count, DWORD timeoutMs = 3000);
// The items of a menu of this process, top to bottom; of the menu a menu window shows.
std::vector<MenuItemSeen> MenuItems(HMENU menu);
std::vector<MenuItemSeen> MenuItems(HWND menuWindow);
std::vector<UINT> MenuIds(HWND menuWindow);
// Posts key presses to a menu window, the way its own loop reads the keyboard.
void PressKeys(HWND menuWindow, std::initializer_list<WORD> keys);

// Runs `body` on its own thread from construction; joins it at destruction.
class MenuProbe {
public:
    explicit MenuProbe(std::function<void()> body) : m_thread(std::move(body)) {}
    ~MenuProbe() { m_thread.join(); }
    MenuProbe(const MenuProbe&) = delete;
    MenuProbe& operator=(const MenuProbe&) = delete;

private:
    std::thread m_thread;
};

#endif
