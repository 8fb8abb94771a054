// One popup menu of owner-drawn items, owned from construction to destruction. Items go in
// at the top, so a menu is built from its last item to its first.
#ifndef KVX_POPUP_MENU_H
#define KVX_POPUP_MENU_H

#include <windows.h>

class CPopupMenu {
public:
    CPopupMenu();
    CPopupMenu(const CPopupMenu&) = delete;
    CPopupMenu& operator=(const CPopupMenu&) = delete;
    virtual ~CPopupMenu();

    // An owner-drawn item with its command id and item data, inserted at the top.
    bool AddItem(UINT id, ULONG_PTR data);
    // The same for a submenu label; the submenu stays owned by its own object, and a menu
    // that holds submenus is deleted after them.
    bool AddSubmenu(UINT id, ULONG_PTR data, const CPopupMenu& submenu);
    // Shows the menu for `owner` at its client point (x, y), or at the cursor for (0, 0),
    // right-aligned to the screen's edge when less than 150 pixels are left there, and runs
    // it until it closes. The chosen item arrives at the owner as WM_COMMAND.
    bool Track(HWND owner, LONG x, LONG y, UINT flags) const;

    HMENU Handle() const { return m_menu; }

private:
    bool Insert(MENUITEMINFOA& item);

    HMENU m_menu;
};

#endif
