// Where a contact is playing: a modeless window of class "KVXGameInfo" naming the game, the
// server's address and its text, with Join (sends the bar BAR_JOIN_GAME with a GAME_RECORD of
// that server and the game's status code, then closes) and Close.
#ifndef KVX_ROSTER_GAMEINFOWINDOW_H
#define KVX_ROSTER_GAMEINFOWINDOW_H

#include <windows.h>

#include <string>

#include "records/WindowProc.h"
#include "wire/Contacts.h"

class CGameInfoWindow {
public:
    static const char kClassName[];
    enum ControlId { kTextId = 100, kJoinId = IDOK, kCloseId = IDCANCEL };

    // `game` is the status code the contact plays under (600 Quake II, 615 Subspace).
    static HWND Show(HWND bar, const ContactRecord& entry, WORD game);

private:
    friend struct CWindowProc<CGameInfoWindow>;
    struct Params {
        HWND bar;
        const ContactRecord* entry;
        WORD game;
    };
    static const Route<CGameInfoWindow> kRoutes[];

    CGameInfoWindow(HWND window, const Params& params);
    CGameInfoWindow(const CGameInfoWindow&) = delete;
    CGameInfoWindow& operator=(const CGameInfoWindow&) = delete;

    static bool RegisterOnce(HINSTANCE instance);

    LRESULT OnCreate(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnCommand(HWND, UINT, WPARAM, LPARAM);

    void Join() const;
    std::string Description() const;

    HWND m_window;
    HWND m_bar;
    ContactRecord m_entry;
    WORD m_game;
};

#endif
