// The contact library hosted the way the client hosts it: a scratch working folder, a stand-in
// bar that paints the library's contact area, and helpers that hand the library the server's
// events and read back what the bar shows.
#ifndef KVX_ROSTER_TESTS_ROSTERFIXTURE_H
#define KVX_ROSTER_TESTS_ROSTERFIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "roster/roster.h"
#include "support/InFolder.h"
#include "support/StandInBar.h"
#include "support/WindowDriver.h"
#include "wire/Contacts.h"
#include "wire/Packets.h"

const COLORREF kGreen = RGB(0, 255, 0), kYellow = RGB(255, 255, 0), kGrey = RGB(128, 128, 128);
const COLORREF kWhite = RGB(255, 255, 255), kBand = RGB(0, 0, 160); // kBand marks the row under the pointer
const COLORREF kAnything = CLR_INVALID;                             // any pixel but the bar's black

inline ContactRecord Entry(std::int32_t account, const char* nickname, WORD status, std::uint8_t offered = 0)
{
    ContactRecord entry = {account, 0, {}, status, offered, 0, {}, {}};
    lstrcpynA(entry.nickname, nickname, sizeof entry.nickname);
    return entry;
}

class RosterFixture : public InScratchFolder {
protected:
    static const int kAccount = 1000;
    const RECT kArea = {12, 124, 167, 257}; // the bar's contact area: 8 rows of 16 pixels

    RosterFixture() { RL_Init(bar.Handle()); }
    ~RosterFixture() override
    {
        RL_Offline();
        for (const char* cls : {"KVXNote", "KVXChat", "KVXGameInfo", "KVXInfo"}) CloseWindows(cls);
        RL_Init(nullptr);
    }

    // Hands the library an event as the session does: the head (claiming `claimed` bytes of
    // data, -1: `length`), then `length` bytes of data.
    static void Event(WORD kind, const void* data, size_t length, int claimed = -1)
    {
        const EventHead head = {kind, static_cast<uint16_t>(claimed < 0 ? length : claimed), 0, {}};
        std::string record(reinterpret_cast<const char*>(&head), sizeof head);
        record.append(static_cast<const char*>(data), length);
        RL_NewEvent(record.data(), static_cast<int>(record.size()), 0, 0, TRUE);
    }
    static void Send(WORD kind, const ContactRecord& entry) { Event(kind, &entry, sizeof entry); }
    // Logs in as the client does (socket, then status) and receives `list` and, with `end`, its end.
    void LogIn(const std::vector<ContactRecord>& list, bool end = true)
    {
        RL_RefreshIP(bar.Socket());
        RL_StatusChange(kAccount, TRUE);
        EXPECT_NE(-1, About(PKT_CONTACTS_REQUEST));
        for (const ContactRecord& entry : list) Send(EVENT_CONTACT, entry);
        if (end) Event(EVENT_CONTACTS_END, nullptr, 0);
    }
    // The account or event the next packet of `type` is about (its first field); -1 when none came.
    std::int32_t About(WORD type)
    {
        PACKET_DATA packet;
        return bar.Next(type, &packet) ? Payload<AccountRecord>(packet).account : -1;
    }
    // What the tray blinks: the icon's name and the tip, or "" when nothing is pending.
    static std::string Blink()
    {
        char icon[100] = "", text[300] = "";
        return RL_EventIcon(1, icon, text) ? std::string(icon) + ": " + text : std::string();
    }
    // Repaints the bar: whether any pixel of the name part of `row` has `colour`.
    bool RowShows(int row, COLORREF colour)
    {
        RedrawWindow(bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = GetDC(bar.Handle());
        bool found = false;
        for (int y = kArea.top + row * 16; y < kArea.top + row * 16 + 16 && !found; ++y)
            for (int x = kArea.left + 20; x < kArea.right && !found; ++x)
                found = colour == kAnything ? GetPixel(dc, x, y) != 0 : GetPixel(dc, x, y) == colour;
        ReleaseDC(bar.Handle(), dc);
        return found;
    }
    // Points at (x, y) and right-clicks: the status of the entry hit, 0 for none.
    WORD ClickAt(int x, int y)
    {
        RL_Hilight(x, y, kArea);
        return RL_RClick() ? *reinterpret_cast<const WORD*>(RL_GetVar(0, 10)) : 0;
    }
    WORD Click(int row) { return ClickAt(kArea.left + 40, kArea.top + row * 16 + 8); }

    StandInBar bar{[this](HDC dc) {
        const RECT all = {0, 0, 199, 300};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        RL_Paint(dc, kArea);
    }};
};

#endif
