// The contact library hosted the way the client hosts it: a scratch working folder, a
// stand-in bar that paints the library's contact area, and helpers that hand the library
// the server's events and read back what the bar shows.
#ifndef KVX_ROSTER_TESTS_ROSTERFIXTURE_H
#define KVX_ROSTER_TESTS_ROSTERFIXTURE_H

#include <string>
#include <vector>

#include "roster/roster.h"
#include "support/InFolder.h"
#include "support/StandInBar.h"
#include "wire/Contacts.h"
#include "wire/Packets.h"

const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBand = RGB(0, 0, 160); // the row under the pointer
const COLORREF kAnything = CLR_INVALID; // any pixel but the bar's black

ContactRecord Entry(std::int32_t account, const char* nickname, WORD status);

class RosterFixture : public InScratchFolder {
protected:
    static const int kAccount = 1000;
    const RECT kArea = {12, 124, 167, 257}; // the bar's contact area: 8 rows of 16 pixels

    RosterFixture();
    ~RosterFixture() override;

    // Hands the library a PKT_NEW_EVENT's record as the client's session does.
    static void Event(WORD kind, const void* data, size_t length, std::int32_t from = 0);
    static void Send(WORD kind, const ContactRecord& entry) { Event(kind, &entry, sizeof entry, entry.account); }
    // Logs in the way the client does (socket, then status) and receives these entries (and,
    // with `end`, the end of the list).
    void LogIn(const std::vector<ContactRecord>& list, bool end = true);

    // Repaints the bar; whether any pixel of the name part of `row` has `colour`.
    bool RowShows(int row, COLORREF colour);
    // Points at (x, y) (RL_Hilight) and right-clicks (RL_RClick); the clicked entry's status, 0 for none.
    WORD ClickAt(int x, int y);
    WORD Click(int row) { return ClickAt(kArea.left + 40, kArea.top + row * 16 + 8); }

    StandInBar bar;
};

// The first visible top-level window of `cls` (and `title`, when given), waited for.
HWND WaitForWindow(const char* cls, const char* title = nullptr);
std::string TextOf(HWND window);

#endif
