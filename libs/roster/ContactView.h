// Drawing the contact list into the bar's contact area and finding the row under a point:
// one row of kRowHeight pixels per entry, the status icon at the left, then the nickname (the
// KVX# when there is none) in its status colour; the highlighted row on a blue band.
#ifndef KVX_ROSTER_CONTACTVIEW_H
#define KVX_ROSTER_CONTACTVIEW_H

#include <windows.h>

#include <string>
#include <vector>

#include "wire/Contacts.h"

class CContactView {
public:
    static const int kRowHeight = 16;
    static const int kTextIndent = 20; // the icon and a gap
    static const COLORREF kHighlight = RGB(0, 0, 160);

    // Whole rows that fit `area`, at least one.
    static int Rows(const RECT& area);
    // The row under (x, y), or -1 outside the area or below the last of `count` rows.
    static int RowAt(int x, int y, const RECT& area, int count);
    // The rectangle of row `row`.
    static RECT RowRect(const RECT& area, int row);
    // What an entry is called: the nickname, or "KVX# <account>" without one.
    static std::string Name(const ContactRecord& entry);

    // Draws `shown` from the top of `area`, as many as fit; row `hilight` on the band.
    static void Paint(HDC dc, const RECT& area, const std::vector<const ContactRecord*>& shown, int hilight);
};

#endif
