// Neutral answers until the contact list exists: nothing drawn, no entry hit, no event.
#include "roster.h"

namespace {
const char kNoFlags[2] = {0, 0};
WORD g_noStatus = 100;
} // namespace

void RL_Init(HWND) {}
void RL_Paint(HDC, RECT) {}
void RL_Hilight(int, int, RECT) {}
BOOL RL_RClick(void) { return FALSE; }
void RL_UserEvent(void) {}
const char* RL_GetVar(int, int what)
{
    return what == 10 ? reinterpret_cast<const char*>(&g_noStatus) : kNoFlags;
}
void RL_RCommand(WORD) {}
void RL_Up(void) {}
void RL_Down(void) {}
void RL_View(int) {}
void RL_ShowNews(void) {}
HWND RL_Balloon(void) { return nullptr; }
BOOL RL_EventIcon(int, char*, char*) { return FALSE; }
BOOL RL_DoNextEvent(void) { return FALSE; }
void RL_StatusChange(LONG, BOOL) {}
int RL_EditAway(int) { return 10; }
void RL_StartPingThread(void) {}
void RL_StopPingThread(void) {}
void RL_Offline(void) {}
void RL_RefreshIP(UINT_PTR) {}
void RL_IPInfo(const IP_INFO_STRUCT*) {}
void RL_GotInfoRes(const SEARCH_INFO_STRUCT*) {}
void RL_NewEvent(const void*, int, int, DWORD, BOOL) {}
