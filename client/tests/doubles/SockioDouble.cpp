// sockio double; SK_Parse is the real one, from the library itself.
#include "doubles/Recorder.h"
#include "sockio/sockio.h"

BOOL SK_Init(WORD major, WORD minor)
{
    Recorder::Get().Log("SK_Init" + Args({Num(major), Num(minor)}));
    return Recorder::Get().Script().initResult;
}

const char* SK_Error(int* code)
{
    Recorder::Get().Log("SK_Error" + Args({Num(*code)}));
    if (*code == 0) *code = Recorder::Get().Script().lastSocketError;
    return Recorder::Get().Script().errorText.c_str();
}

void SK_Connect(HWND, UINT connectMessage, UINT eventMessage, const char* host, int port)
{
    Recorder::Get().Log("SK_Connect" + Args({Num(connectMessage), Num(eventMessage), Text(host), Num(port)}));
}

BOOL SK_WPacket(UINT_PTR socket, WORD type, const void* data, int length)
{
    Recorder::Get().Log("SK_WPacket" + Args({Num(socket), Num(type), Num(length)}));
    Recorder::Get().Sent({socket, type, std::string(static_cast<const char*>(data), data ? length : 0)});
    return socket != 0;
}

int SK_StartPingServer(HWND) { Recorder::Get().Log("SK_StartPingServer()"); return 0; }
void SK_StopPingServer(void) { Recorder::Get().Log("SK_StopPingServer()"); }
int SK_StartEventServer(HWND) { Recorder::Get().Log("SK_StartEventServer()"); return 0; }
void SK_StopEventServer(void) { Recorder::Get().Log("SK_StopEventServer()"); }
