// Recording doubles of sockio (SK_Parse excepted: the real one, from the library itself)
// and winkit. The winkit double makes real windows and pumps real messages, so the code
// under test meets the real Win32 behaviour of its window.
#include "doubles/Recorder.h"
#include "sockio/sockio.h"
#include "winkit/winkit.h"

namespace {
void Log(const std::string& call) { Recorder::Get().Log(call); }
} // namespace

BOOL SK_Init(WORD major, WORD minor) { return Log("SK_Init" + Args({Num(major), Num(minor)})), TRUE; }
const char* SK_Error(int* code)
{
    Log("SK_Error" + Args({Num(*code)}));
    if (*code == 0) *code = Recorder::Get().Script().lastSocketError;
    return Recorder::Get().Script().errorText.c_str();
}
void SK_Connect(HWND, UINT connectMessage, UINT eventMessage, const char* host, int port)
{
    Log("SK_Connect" + Args({Num(connectMessage), Num(eventMessage), Text(host), Num(port)}));
}
BOOL SK_WPacket(UINT_PTR socket, WORD type, const void* data, int length)
{
    Log("SK_WPacket" + Args({Num(socket), Num(type), Num(length)}));
    Recorder::Get().Sent().push_back({type, std::string(static_cast<const char*>(data), data ? length : 0)});
    return socket != 0;
}
int SK_StartPingServer(HWND) { return Log("SK_StartPingServer()"), 0; }
void SK_StopPingServer(void) { Log("SK_StopPingServer()"); }
int SK_StartEventServer(HWND) { return Log("SK_StartEventServer()"), 0; }
void SK_StopEventServer(void) { Log("SK_StopEventServer()"); }

void WK_Idle(void)
{
    Log("WK_Idle()");
    // As the real one: a quit message is posted again for the caller's loop to see.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return PostQuitMessage(static_cast<int>(msg.wParam));
        DispatchMessageA(&msg);
    }
}
void WK_Center(HWND, BOOL keepOnScreen) { Log("WK_Center" + Args({Num(keepOnScreen)})); }
void WK_PaintNC(HWND) { Log("WK_PaintNC()"); }
void WK_PaintMenuNC(HDC) { Log("WK_PaintMenuNC()"); }
HWND WK_ShowBalloon(const char* text)
{
    Log("WK_ShowBalloon" + Args({Text(text)}));
    // A real window, so that whoever removes the balloon has something to destroy.
    return CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", text, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
}
HWND WK_Info(const char* title, const char* text, HICON)
{
    return Log("WK_Info" + Args({Text(title), Text(text)})), nullptr;
}
