// The fixed places on the bar, shared by every skin. Client coordinates, except where a
// place is measured from the top of the skin's bottom piece (CBar::AnchorRect moves those).
#ifndef KVX_BAR_LAYOUT_H
#define KVX_BAR_LAYOUT_H

#include <windows.h>

#include "menus/CommandIds.h"

const RECT kAccountRect = {13, 6, 103, 20};
const RECT kStatusRect = {70, 29, 187, 48}; // from the bottom piece
const RECT kAdRect = {11, 29, 188, 78};     // the ad hotspot; the banner sits one pixel inside

struct ButtonIcon {
    UINT region;
    RECT rect;
};
// The buttons whose icons the bar draws itself; the others are part of the skin's art.
const ButtonIcon kButtonIcons[] = {
    {CMD_GAME_MENU, {12, 89, 34, 111}}, {CMD_EVENTS, {164, 89, 186, 111}}, {CMD_PREFS_MENU, {36, 89, 58, 111}}};

// The contact list's area: it ends 43 pixels above the client bottom.
inline RECT ContactListRect(HWND bar)
{
    RECT client;
    GetClientRect(bar, &client);
    return {12, 124, 167, client.bottom - 43};
}

#endif
