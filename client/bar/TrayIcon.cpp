#include "bar/TrayIcon.h"

#include <shellapi.h>
#include <stdarg.h>
#include <stdio.h>

#include "app/Globals.h"
#include "artres/artres.h"
#include "records/Bar.h"

CTrayIcon::CTrayIcon(WORD id, const char* iconName, const char* tooltip) : m_window(g_hMainWnd), m_id(id)
{
    Notify(m_window, NIM_ADD, m_id, nullptr, nullptr);
    SetIcon(iconName, "%s", tooltip);
}

CTrayIcon::~CTrayIcon() { Notify(m_window, NIM_DELETE, m_id, nullptr, nullptr); }

void CTrayIcon::SetIcon(const char* iconName, const char* format, ...)
{
    char text[500];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Notify(m_window, NIM_MODIFY, m_id, AR_Image(iconName, 1, 16, 16, 0), text);
}

BOOL CTrayIcon::Notify(HWND window, DWORD action, WORD id, HICON icon, const char* text)
{
    NOTIFYICONDATAA data = {};
    // The first layout of the record: every shell understands it.
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = BAR_TRAY_NOTIFY;
    data.hIcon = icon;
    if (text) lstrcpynA(data.szTip, text, 64);
    const BOOL done = Shell_NotifyIconA(action, &data);
    if (icon) DestroyIcon(icon);
    return done;
}
