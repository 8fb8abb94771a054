// Recording doubles of roster, artres, notepost, probe and signon.
#include "artres/artres.h"
#include "doubles/Recorder.h"
#include "notepost/notepost.h"
#include "probe/probe.h"
#include "roster/roster.h"
#include "signon/signon.h"

namespace {
void Log(const std::string& call) { Recorder::Get().Log(call); }
LibraryScript& Script() { return Recorder::Get().Script(); }
std::string Rect(RECT r) { return Num(r.left) + ", " + Num(r.top) + ", " + Num(r.right) + ", " + Num(r.bottom); }
} // namespace

void RL_Init(HWND) { Log("RL_Init()"); }
void RL_Paint(HDC, RECT r) { Log("RL_Paint" + Args({Rect(r)})); }
void RL_Hilight(int x, int y, RECT r) { Log("RL_Hilight" + Args({Num(x), Num(y), Rect(r)})); }
BOOL RL_RClick(void) { return Log("RL_RClick()"), Script().rclickResult; }
void RL_UserEvent(void) { Log("RL_UserEvent()"); }
const char* RL_GetVar(int entry, int what)
{
    Log("RL_GetVar" + Args({Num(entry), Num(what)}));
    return what == 10 ? reinterpret_cast<const char*>(&Script().entryStatus) : Script().entryFlags;
}
void RL_RCommand(WORD command) { Log("RL_RCommand" + Args({Num(command)})); }
void RL_Up(void) { Log("RL_Up()"); }
void RL_Down(void) { Log("RL_Down()"); }
void RL_View(int view) { Log("RL_View" + Args({Num(view)})); }
void RL_ShowNews(void) { Log("RL_ShowNews()"); }
HWND RL_Balloon(void) { return Log("RL_Balloon()"), nullptr; }
BOOL RL_EventIcon(int phase, char* icon, char* text)
{
    Log("RL_EventIcon" + Args({Num(phase)}));
    if (!Script().eventPending) return FALSE;
    lstrcpyA(icon, "Msg");
    lstrcpyA(text, "Message from 10001");
    return TRUE;
}
BOOL RL_DoNextEvent(void) { return Log("RL_DoNextEvent()"), FALSE; }
void RL_StatusChange(LONG account, BOOL loggedIn) { Log("RL_StatusChange" + Args({Num(account), Num(loggedIn)})); }
int RL_EditAway(int status) { return Log("RL_EditAway" + Args({Num(status)})), Script().editAwayResult; }
void RL_StartPingThread(void) { Log("RL_StartPingThread()"); }
void RL_StopPingThread(void) { Log("RL_StopPingThread()"); }
void RL_Offline(void) { Log("RL_Offline()"); }
void RL_RefreshIP(UINT_PTR socket) { Log("RL_RefreshIP" + Args({Num(socket)})); }
void RL_IPInfo(const IP_INFO_STRUCT*) { Log("RL_IPInfo()"); }
void RL_GotInfoRes(const SEARCH_INFO_STRUCT*) { Log("RL_GotInfoRes()"); }
void RL_NewEvent(const void* record, int length, int reserved, DWORD address, BOOL fromServer)
{
    Recorder::Get().Handed(std::string(static_cast<const char*>(record), length));
    Log("RL_NewEvent" + Args({Num(length), Num(reserved), Num(address), Num(fromServer)}));
}

HICON AR_Icon(const char* name)
{
    Log("AR_Icon" + Args({Text(name)}));
    // One icon for every name, made once and kept like the library's own.
    static HICON icon = [] {
        static DWORD colour[16 * 16];
        static const BYTE drawn[16 * 16 / 8] = {}; // an all-clear AND mask: every pixel drawn
        for (DWORD& p : colour)
            p = 0xFF000000u |
                RGB(GetBValue(kDoubleIconColour), GetGValue(kDoubleIconColour), GetRValue(kDoubleIconColour));
        return CreateIcon(nullptr, 16, 16, 1, 32, drawn, reinterpret_cast<const BYTE*>(colour));
    }();
    return name ? icon : nullptr;
}
HICON AR_Image(const char* name, int type, int width, int height, UINT flags)
{
    return Log("AR_Image" + Args({Text(name), Num(type), Num(width), Num(height), Num(flags)})), nullptr;
}

void NP_Send(USER_INFO_STRUCT, WORD kind, LONG account, HWND) { Log("NP_Send" + Args({Num(kind), Num(account)})); }
void PR_StartSpy(HWND, int game) { Log("PR_StartSpy" + Args({Num(game)})); }
void PR_ServerList(const void*, int length) { Log("PR_ServerList" + Args({Num(length)})); }

BOOL SO_Signup(HWND, USER_INFO_STRUCT* user, UINT_PTR socket)
{
    Log("SO_Signup" + Args({Num(socket)}));
    if (!Script().signupResult) return FALSE;
    user->accountNumber = Script().signupAccount;
    lstrcpynA(user->password, Script().signupPassword.c_str(), sizeof user->password);
    return TRUE;
}
BOOL SO_Find(HWND, UINT_PTR socket) { return Log("SO_Find" + Args({Num(socket)})), FALSE; }
void SO_Message(PACKET_DATA packet, UINT_PTR socket) { Log("SO_Message" + Args({Num(packet.type), Num(socket)})); }
