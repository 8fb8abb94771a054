// What the item data of an owner-drawn menu item says about it. Skin items carry a
// pointer to their name instead.
#ifndef KVX_MENU_DATA_H
#define KVX_MENU_DATA_H

#define MENU_CHECKED 1  /* a ticked option */
#define MENU_SUBMENU 10 /* opens a submenu */

#endif
