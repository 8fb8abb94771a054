// An information window: a small top-level window of class "KVXInfo" showing a text beside
// an optional icon, with an OK button. It runs on the caller's message loop (it never blocks)
// and deletes itself when closed by OK, Enter, Escape or the close box.
#ifndef KVX_WINKIT_INFOWINDOW_H
#define KVX_WINKIT_INFOWINDOW_H

#include <windows.h>

#include <string>

#include "records/WindowProc.h"

class CInfoWindow {
public:
    static const char kClassName[];

    // Creates and shows one window; several may be open at once. NULL title or text count
    // as empty, a NULL icon leaves the icon out. Text and icon are copied, so the caller
    // may free its own at once; the icon is drawn at its own size. The window is topmost,
    // so an always-on-top bar never hides it. Returns the window, or NULL when it could not
    // be made.
    static HWND Show(const char* title, const char* text, HICON icon);

private:
    struct Params {
        const char* text;
        HICON icon;
        int cascade; // pixels down and right of the centred place
    };
    friend struct CWindowProc<CInfoWindow>;
    static const Route<CInfoWindow> kRoutes[];

    CInfoWindow(HWND window, const Params& params);
    ~CInfoWindow();
    CInfoWindow(const CInfoWindow&) = delete;
    CInfoWindow& operator=(const CInfoWindow&) = delete;

    static bool RegisterOnce(HINSTANCE instance);
    static LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT OnCreate(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnPaint(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnCommand(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnActivate(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnCtlColor(HWND, UINT, WPARAM, LPARAM);

    // Measures the text, places icon, text and button, and sizes the window around them,
    // never beyond the work area: a text too long for it is widened, then cut.
    void Layout(int cascade);

    HWND m_window;
    HWND m_button;
    HFONT m_font;
    HICON m_icon; // our copy
    SIZE m_iconSize;
    std::string m_text;
    RECT m_textRect;
};

#endif
