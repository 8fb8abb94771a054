// The tooltip of a notification-area icon, read from the shell's tray window in another
// process (the shell keeps the text; the owner cannot be asked for it).
#ifndef KVX_TEST_TRAY_TIP_H
#define KVX_TEST_TRAY_TIP_H

#include <windows.h>

#include <string>
#include <vector>

// The tips of every icon now in the notification area, in the tray's order.
std::vector<std::string> TrayTips();
// True once an icon's tip is `tip`, waiting up to `timeoutMs`.
bool TrayTipShows(const std::string& tip, DWORD timeoutMs);
// The window of the first icon in the notification area (mouse messages posted to it reach
// the icon's owner as a user's clicks would), or null.
HWND FirstTrayIcon();

#endif
