// winkit double: logs, but creates a real window and pumps real messages, so code under
// test meets the real Win32 behaviour of its window.
#include "doubles/Recorder.h"
#include "winkit/winkit.h"

void WK_Init(void) { Recorder::Get().Log("WK_Init()"); }

HWND WK_CreateMain(const char* name, WNDPROC proc, int x, int y, int width, int height,
                   HINSTANCE instance)
{
    Recorder::Get().Log("WK_CreateMain" + Args({Text(name), Num(x), Num(y), Num(width), Num(height)}));
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
    return CreateWindowExA(WS_EX_TOOLWINDOW, name, "KVX", WS_POPUP, x == -1 ? 100 : x,
                           y == -1 ? 100 : y, width, height == -1 ? 400 : height, nullptr, nullptr,
                           instance, nullptr);
}

int WK_MSGLoop(void)
{
    Recorder::Get().Log("WK_MSGLoop()");
    return Recorder::Get().Script().loopResult;
}

void WK_Idle(void)
{
    Recorder::Get().Log("WK_Idle()");
    // As the real one: a quit message is posted again for the caller's loop to see.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchMessageA(&msg);
    }
}

void WK_Center(HWND, BOOL keepOnScreen) { Recorder::Get().Log("WK_Center" + Args({Num(keepOnScreen)})); }
void WK_PaintNC(HWND) { Recorder::Get().Log("WK_PaintNC()"); }
void WK_PaintMenuNC(HDC) { Recorder::Get().Log("WK_PaintMenuNC()"); }
HWND WK_ShowBalloon(const char* text)
{
    Recorder::Get().Log("WK_ShowBalloon" + Args({Text(text)}));
    // A real window, so that whoever removes the balloon has something to destroy.
    return CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", text, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}
HWND WK_Info(const char* title, const char* text, HICON)
{
    Recorder::Get().Log("WK_Info" + Args({Text(title), Text(text)}));
    return nullptr;
}
