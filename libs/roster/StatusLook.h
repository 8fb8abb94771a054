// How a contact's status shows in the list and in texts: the artres icon, the colour of the
// nickname (the bar's own: green online, yellow away, N/A and games, grey offline) and a
// word for it.
#ifndef KVX_ROSTER_STATUSLOOK_H
#define KVX_ROSTER_STATUSLOOK_H

#include <windows.h>

#include <cstdint>

class CStatusLook {
public:
    static const COLORREF kOnline = RGB(0, 255, 0);
    static const COLORREF kBusy = RGB(255, 255, 0);
    static const COLORREF kOffline = RGB(128, 128, 128);
    static const COLORREF kOffered = RGB(255, 255, 255);

    // An unknown code from 300 up counts as online, anything below as offline.
    explicit CStatusLook(std::uint16_t status, bool offered = false);

    const char* Icon() const { return m_icon; }
    COLORREF Colour() const { return m_colour; }
    const char* Text() const { return m_text; }
    bool Online() const { return m_online; }

private:
    const char* m_icon;
    COLORREF m_colour;
    const char* m_text;
    bool m_online;
};

#endif
