#include "menus/Menus.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "menus/CommandIds.h"
#include "menus/MenuData.h"
#include "menus/PopupMenu.h"
#include "records/Bar.h"
#include "roster/roster.h"
#include "skin/Skin.h"
#include "wire/Status.h"

namespace {

const ULONG_PTR MENU_PLAIN = 0;

struct GameMenuPlan {
    UINT label;
    UINT items[4]; // top to bottom, 0 ends the list
};
const GameMenuPlan kGameMenus[] = {
    {CMD_GAME_PREFS, {CMD_GAME_ADD, CMD_AUTO_SEARCH}},
    {CMD_UNREAL, {CMD_LOCATE_UNREAL, CMD_LAUNCH_UNREAL}},
    {CMD_QUAKE, {CMD_LOCATE_QUAKE, CMD_LAUNCH_QUAKE}},
    {CMD_QUAKE2, {CMD_LOCATE_QUAKE2, CMD_LAUNCH_QUAKE2, CMD_QUAKE2_SCAN, CMD_QUAKE2_DELETE}},
    {CMD_SUBSPACE, {CMD_LOCATE_SUBSPACE, CMD_LAUNCH_SUBSPACE}},
    {CMD_TANARUS, {CMD_LOCATE_TANARUS, CMD_LAUNCH_TANARUS}},
    {CMD_FIRETEAM, {CMD_LOCATE_FIRETEAM, CMD_LAUNCH_FIRETEAM}},
};

ULONG_PTR CheckedWhen(bool checked) { return checked ? MENU_CHECKED : MENU_PLAIN; }

// Items are inserted at the top: adding a list backwards shows it forwards.
void AddAll(CPopupMenu& menu, const UINT* ids, size_t count)
{
    for (size_t i = count; i-- > 0;)
        if (ids[i]) menu.AddItem(ids[i], MENU_PLAIN);
}

} // namespace

void ShowMainMenu(LONG x, LONG y)
{
    const LONG onTop = g_Settings->ReadInt("Window", "OnTop");
    const LONG dock = g_Settings->ReadInt("Window", "Dock");
    CSkin skins;
    skins.Enumerate();

    // Declared from the top menu down, so they are deleted submenus first and the top last.
    CPopupMenu menu;
    CPopupMenu windowMenu;
    CPopupMenu dockMenu;
    CPopupMenu skinMenu;
    for (size_t p = 0; p < skins.NameCount(); ++p)
        skinMenu.AddItem(CMD_SKIN_FIRST + static_cast<UINT>(p), reinterpret_cast<ULONG_PTR>(skins.NameAt(p)));
    dockMenu.AddItem(CMD_DOCK_RIGHT, CheckedWhen(dock == BAR_DOCK_RIGHT));
    dockMenu.AddItem(CMD_DOCK_LEFT, CheckedWhen(dock == BAR_DOCK_LEFT));
    dockMenu.AddItem(CMD_DOCK_OFF, CheckedWhen(dock < 10));
    // The OnTop value is the item data itself: checked exactly when it is 1.
    windowMenu.AddItem(CMD_ONTOP, static_cast<ULONG_PTR>(onTop));
    windowMenu.AddSubmenu(CMD_SKINS, MENU_SUBMENU, skinMenu);
    windowMenu.AddSubmenu(CMD_DOCK, MENU_SUBMENU, dockMenu);
    menu.AddItem(CMD_EXIT, MENU_PLAIN);
    menu.AddItem(CMD_ABOUT, MENU_PLAIN);
    menu.AddSubmenu(CMD_WINDOW, MENU_SUBMENU, windowMenu);
    menu.AddItem(CMD_FIND_USERS, MENU_PLAIN);
    menu.Track(g_hMainWnd, x, y, TPM_BOTTOMALIGN);
}

void ShowStatusMenu(LONG x, LONG y)
{
    const UINT items[] = {CMD_AVAILABLE, CMD_AWAY, CMD_NA, CMD_OFFLINE};
    CPopupMenu menu;
    AddAll(menu, items, sizeof items / sizeof items[0]);
    menu.Track(g_hMainWnd, x, y, TPM_BOTTOMALIGN);
}

void ShowGameMenu(LONG x, LONG y)
{
    const size_t count = sizeof kGameMenus / sizeof kGameMenus[0];
    CPopupMenu menu; // deleted after its submenus
    CPopupMenu games[count];
    for (size_t i = count; i-- > 0;) {
        AddAll(games[i], kGameMenus[i].items, sizeof kGameMenus[i].items / sizeof kGameMenus[i].items[0]);
        menu.AddSubmenu(kGameMenus[i].label, MENU_SUBMENU, games[i]);
    }
    menu.Track(g_hMainWnd, x, y, 0);
}

void ShowViewMenu(LONG x, LONG y)
{
    LONG view = g_Settings->ReadInt("KVX", "View");
    if (view < 0) view = 0; // missing: all; a value none of the three ticks none
    CPopupMenu menu;        // deleted after its submenu
    CPopupMenu views;
    views.AddItem(CMD_VIEW_ALL, CheckedWhen(view == 0));
    views.AddItem(CMD_VIEW_OFFLINE, CheckedWhen(view == 2));
    views.AddItem(CMD_VIEW_ONLINE, CheckedWhen(view == 1));
    menu.AddSubmenu(CMD_VIEW, MENU_SUBMENU, views);
    menu.Track(g_hMainWnd, x, y, 0);
}

void ShowContactMenu(LONG x, LONG y)
{
    const char* flags = RL_GetVar(0, 5);
    const bool offeredForAdding = flags && flags[0];
    const WORD* status = reinterpret_cast<const WORD*>(RL_GetVar(0, 10));
    const WORD code = status ? *status : 0;

    CPopupMenu menu;
    if (offeredForAdding) {
        const UINT items[] = {CMD_ADD_TO_LIST, CMD_DELETE};
        AddAll(menu, items, 2);
    } else {
        const UINT items[] = {CMD_MESSAGE,
                              code >= STATUS_ONLINE ? CMD_FILE : 0U,
                              code >= STATUS_ONLINE ? CMD_CHAT : 0U,
                              CMD_INFO,
                              CMD_EMAIL,
                              CMD_COMM_LOG,
                              CMD_PING,
                              CMD_DELETE,
                              code == STATUS_QUAKE2     ? CMD_QUAKE2_INFO
                              : code == STATUS_SUBSPACE ? CMD_SUBSPACE_INFO
                                                        : 0U};
        AddAll(menu, items, sizeof items / sizeof items[0]);
    }
    menu.Track(g_hMainWnd, x, y, 0);
}
