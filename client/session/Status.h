// The user's own presence status: how each is shown on the bar and in the
// notification area.
#ifndef KVX_STATUS_H
#define KVX_STATUS_H

#include <windows.h>

#include "wire/Status.h"

struct StatusLook {
    WORD code;
    const char* icon;    // artres icon name in the notification area
    const char* tooltip; // printf format, %ld takes the account number
    const char* text;    // on the bar's status area
    COLORREF textColour; // of that text while the bar is active
    const char* barIcon; // artres icon name beside that text
};

const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kWhite = RGB(255, 255, 255);

// The look of `code`, or null for a code that is no status.
const StatusLook* FindStatusLook(WORD code);

#endif
