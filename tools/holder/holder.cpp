// Keeps one Wine GUI process alive for a while, so the Wine desktop stays up between the
// short-lived test processes and each of them starts fast. Argument: lifetime in ms.
#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    const UINT lifetime = static_cast<UINT>(strtoul(lpCmdLine, nullptr, 10));
    HWND window = CreateWindowExA(0, "STATIC", "kvx-holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetTimer(window, 1, lifetime ? lifetime : 600000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) break;
        DispatchMessageA(&msg);
    }
    return 0;
}
