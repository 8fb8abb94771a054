// A message window, class "KVXNote": either a message being written (To: the KVX#, the text,
// Send and Close) or one received (From, the time, the text, Reply and Close). Send asks the
// bar for the logged-in socket (BAR_QUERY_SOCKET), writes PKT_MESSAGE_SEND on it, logs the message
// and closes; when it cannot, the window stays open with the reason in its status line.
#ifndef KVX_NOTEPOST_NOTEWINDOW_H
#define KVX_NOTEPOST_NOTEWINDOW_H

#include <windows.h>

#include <cstdint>
#include <string>

#include "records/WindowProc.h"

class CNoteWindow {
public:
    static const char kClassName[];
    enum ControlId { kPeerId = 100, kTextId = 101, kStatusId = 102, kActionId = IDOK, kCloseId = IDCANCEL };

    struct Note {
        bool received;
        std::int32_t account; // the user's own
        std::int32_t peer;    // recipient, or sender of a received one; 0: typed in
        std::string nickname; // of the peer
        std::uint32_t sentAt; // received ones
        std::string text;     // received ones
    };

    // Opens one window; several may be open at once. NULL when it could not be made.
    static HWND Open(HWND bar, const Note& note);

private:
    friend struct CWindowProc<CNoteWindow>;
    struct Params {
        HWND bar;
        const Note* note;
    };
    static const Route<CNoteWindow> kRoutes[];

    CNoteWindow(HWND window, const Params& params);
    CNoteWindow(const CNoteWindow&) = delete;
    CNoteWindow& operator=(const CNoteWindow&) = delete;

    static bool RegisterOnce(HINSTANCE instance);

    LRESULT OnCreate(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnCommand(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnActivate(HWND, UINT, WPARAM, LPARAM);

    void Send();
    void Reply();
    // The recipient: the peer given, or the KVX# typed; 0 when none is readable.
    std::int32_t Recipient() const;
    std::string PeerText() const;
    void ShowStatus(const char* text);

    HWND m_window;
    HWND m_bar;
    Note m_note;
    HWND m_peer;
    HWND m_text;
};

#endif
