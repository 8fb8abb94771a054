// The C interface of the contact library: every call goes to the library's one object, and
// no exception comes back out.
#include "roster/roster.h"

#include "Roster.h"
#include "records/Guard.h"

namespace {

CRoster& TheRoster()
{
    static CRoster roster;
    return roster;
}

} // namespace

void RL_Init(HWND bar)
{
    Guard([&] { TheRoster().Init(bar); });
}
void RL_Paint(HDC dc, RECT contacts)
{
    Guard([&] { TheRoster().Paint(dc, contacts); });
}
void RL_Hilight(int x, int y, RECT contacts)
{
    Guard([&] { TheRoster().Hilight(x, y, contacts); });
}
BOOL RL_RClick(void)
{
    return Guard(FALSE, [&] { return TheRoster().RClick(); });
}
void RL_UserEvent(void)
{
    Guard([&] { TheRoster().UserEvent(); });
}
const char* RL_GetVar(int, int what)
{
    return Guard<const char*>(nullptr, [&] { return TheRoster().GetVar(what); });
}
void RL_RCommand(WORD command)
{
    Guard([&] { TheRoster().Command(command); });
}
void RL_Up(void)
{
    Guard([&] { TheRoster().Scroll(-1); });
}
void RL_Down(void)
{
    Guard([&] { TheRoster().Scroll(1); });
}
void RL_View(int view)
{
    Guard([&] { TheRoster().SetView(view); });
}
void RL_ShowNews(void)
{
    Guard([&] { TheRoster().ShowNews(); });
}
HWND RL_Balloon(void)
{
    return Guard<HWND>(nullptr, [&] { return TheRoster().Balloon(); });
}
BOOL RL_EventIcon(int, char* name100, char* text300)
{
    return Guard(FALSE, [&] { return TheRoster().EventIcon(name100, text300); });
}
BOOL RL_DoNextEvent(void)
{
    return Guard(FALSE, [&] { return TheRoster().DoNextEvent(); });
}
void RL_StatusChange(LONG accountNumber, BOOL loggedIn)
{
    Guard([&] { TheRoster().StatusChange(accountNumber, loggedIn != FALSE); });
}
int RL_EditAway(int status)
{
    return Guard(0, [&] { return TheRoster().EditAway(status); });
}
void RL_StartPingThread(void)
{
    Guard([&] { TheRoster().StartPingThread(); });
}
void RL_StopPingThread(void)
{
    Guard([&] { TheRoster().StopPingThread(); });
}
void RL_Offline(void)
{
    Guard([&] { TheRoster().Offline(); });
}
void RL_RefreshIP(UINT_PTR socket)
{
    Guard([&] { TheRoster().SetSocket(socket); });
}
void RL_IPInfo(const IP_INFO_STRUCT* info)
{
    Guard([&] { TheRoster().IpInfo(info); });
}
void RL_GotInfoRes(const SEARCH_INFO_STRUCT* result)
{
    Guard([&] { TheRoster().InfoResult(result); });
}
void RL_NewEvent(const void* record, int length, int, DWORD, BOOL)
{
    Guard([&] { TheRoster().NewEvent(record, length); });
}
