// What a user does with a file offered to them, for the end-to-end tests to run inside the
// second client's Wine prefix (whose windows the test process cannot reach): opens the
// bar's next event as a double click on its tray icon does, and answers the "KVX File" box.
//   peerhand yes|no      exit 0 when the box came and was answered
#include <windows.h>

#include <cstring>

#include "records/Bar.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    const int answer = std::strcmp(lpCmdLine, "yes") == 0 ? IDYES : IDNO;
    for (int i = 0; i < 300; ++i, Sleep(50)) {
        HWND bar = FindWindowA("KVX1", nullptr);
        if (!bar) continue;
        PostMessageA(bar, BAR_TRAY_NOTIFY, 10, WM_LBUTTONDBLCLK);
        for (int j = 0; j < 40; ++j, Sleep(50)) {
            if (HWND box = FindWindowA("#32770", "KVX File")) {
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
                return 0;
            }
        }
    }
    return 1;
}
