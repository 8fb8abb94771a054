// The bar's message loop and the idle pump of its hold loops.
#include "winkit/winkit.h"

#include "records/Guard.h"

int WK_MSGLoop(void)
{
    return Guard(-1, [&] {
        MSG msg;
        BOOL got;
        while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
            if (got == -1) return -1;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return static_cast<int>(msg.wParam);
    });
}

void WK_Idle(void)
{
    Guard([&] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    });
}
