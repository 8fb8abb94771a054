// Opens the scanner as the client would, under this program's own message loop, and runs
// until it is closed: for looking at the window and taking its picture.
#include <windows.h>

#include "probe/probe.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PR_StartSpy(nullptr, 600);
    HWND scanner = FindWindowA("KVXProbe", nullptr);
    MSG msg;
    while (IsWindow(scanner) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
