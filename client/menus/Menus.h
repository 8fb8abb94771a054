// The bar's five popup menus, each built afresh from the settings and the current state,
// shown at the bar's client point (x, y) ((0, 0): at the cursor), and destroyed when it
// closes. The chosen item arrives at the bar as WM_COMMAND.
#ifndef KVX_MENUS_H
#define KVX_MENUS_H

#include <windows.h>

// About, Add New Users, Exit and the Window submenu (Dock, Skins, Always On Top); upwards.
void ShowMainMenu(LONG x, LONG y);
// Available, Away, N/A and Offline; upwards.
void ShowStatusMenu(LONG x, LONG y);
// The game preferences and one submenu per game; downwards.
void ShowGameMenu(LONG x, LONG y);
// The contact list's View submenu; downwards.
void ShowViewMenu(LONG x, LONG y);
// What can be done with the contact-list entry the library has just accepted a click on.
void ShowContactMenu(LONG x, LONG y);

#endif
