// The client's icon in the shell's notification area: its image and tooltip follow the
// user's status; its mouse messages reach the bar as BAR_TRAY_NOTIFY.
#ifndef KVX_TRAY_ICON_H
#define KVX_TRAY_ICON_H

#include <windows.h>

#include "app/Reporter.h"

class CTrayIcon {
public:
    // Adds the icon for the bar window, then shows `iconName` with `tooltip`. The shell knows
    // the icon by that window and the id: every later call names the same window, even after
    // shutdown has let go of it, so the last status and the removal reach the icon.
    CTrayIcon(WORD id, const char* iconName, const char* tooltip);
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;
    virtual ~CTrayIcon(); // removes the icon

    // The artres icon `iconName` with the printf-formatted tooltip (at most 63 characters show).
    void SetIcon(const char* iconName, const char* format, ...) KVX_PRINTF(3, 4);

    // One shell call with a fresh record; a given icon is destroyed afterwards (the shell
    // keeps its own copy).
    static BOOL Notify(HWND window, DWORD action, WORD id, HICON icon, const char* text);

private:
    HWND m_window;
    WORD m_id;
};

#endif
