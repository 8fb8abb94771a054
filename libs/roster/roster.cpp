// The C interface of the contact library: every call goes to the library's one object.
#include "roster.h"

#include "Roster.h"

namespace {

CRoster& TheRoster()
{
    static CRoster roster;
    return roster;
}

} // namespace

void RL_Init(HWND bar) { TheRoster().Init(bar); }
void RL_Paint(HDC dc, RECT contacts) { TheRoster().Paint(dc, contacts); }
void RL_Hilight(int x, int y, RECT contacts) { TheRoster().Hilight(x, y, contacts); }
BOOL RL_RClick(void) { return TheRoster().RClick(); }
void RL_UserEvent(void) { TheRoster().UserEvent(); }
const char* RL_GetVar(int, int what) { return TheRoster().GetVar(what); }
void RL_RCommand(WORD command) { TheRoster().Command(command); }
void RL_Up(void) { TheRoster().Scroll(-1); }
void RL_Down(void) { TheRoster().Scroll(1); }
void RL_View(int view) { TheRoster().SetView(view); }
void RL_ShowNews(void) { TheRoster().ShowNews(); }
HWND RL_Balloon(void) { return TheRoster().Balloon(); }
BOOL RL_EventIcon(int, char* name100, char* text300) { return TheRoster().EventIcon(name100, text300); }
BOOL RL_DoNextEvent(void) { return TheRoster().DoNextEvent(); }
void RL_StatusChange(LONG accountNumber, BOOL loggedIn) { TheRoster().StatusChange(accountNumber, loggedIn != FALSE); }
int RL_EditAway(int status) { return TheRoster().EditAway(status); }
void RL_StartPingThread(void) { TheRoster().StartPingThread(); }
void RL_StopPingThread(void) { TheRoster().StopPingThread(); }
void RL_Offline(void) { TheRoster().Offline(); }
void RL_RefreshIP(UINT_PTR socket) { TheRoster().SetSocket(socket); }
void RL_IPInfo(const IP_INFO_STRUCT* info) { TheRoster().IpInfo(info); }
void RL_GotInfoRes(const SEARCH_INFO_STRUCT* result) { TheRoster().InfoResult(result); }
void RL_NewEvent(const void* record, int length, int, DWORD, BOOL) { TheRoster().NewEvent(record, length); }
