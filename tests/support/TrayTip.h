// The notification area as the shell shows it, read from the shell's own windows in
// another process (the shell keeps the tooltip texts; their owner cannot be asked).
#ifndef KVX_TEST_TRAY_TIP_H
#define KVX_TEST_TRAY_TIP_H

#include <windows.h>

#include <string>

// True once some icon's tooltip is `tip`, waiting up to `timeoutMs`.
bool TrayTipShows(const std::string& tip, DWORD timeoutMs);
// The window of the first icon in the notification area (mouse messages posted to it reach
// the icon's owner as a user's clicks would), or null.
HWND FirstTrayIcon();

#endif
