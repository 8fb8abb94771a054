/* roster: the contact list hosted in the bar, its events and the contact menu's commands,
   spoken over the contact protocol (wire/CONTACTS.md). Every call is made on the bar's
   (GUI) thread. The library answers the client only by messages to the bar: WM_USER+10
   (status), +13 (logged-in socket), +19 (GAME_RECORD* or 0) and +17 (join a game).
   Files, relative to the working folder: Data\contacts.dat (the list, shown offline while
   not connected), Data\events.dat (unread events), Data\away.txt (the away message last
   written), Data\transfers.dat (files on their way), Downloads\ (files received; part
   files there until whole and checked) and, through notepost, Logs\<KVX#>.txt. */
#ifndef KVX_ROSTER_H
#define KVX_ROSTER_H

#include <windows.h>

#ifdef ROSTER_EXPORTS
#define ROSTER_API __declspec(dllexport)
#else
#define ROSTER_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Records of the server that the client hands over unread (their layout is the library's). */
typedef struct IP_INFO_STRUCT IP_INFO_STRUCT;
typedef struct SEARCH_INFO_STRUCT SEARCH_INFO_STRUCT;

/* Starts afresh for `bar`: reads the saved list and the unread events. */
ROSTER_API void RL_Init(HWND bar);
ROSTER_API void RL_Paint(HDC dc, RECT contacts);
ROSTER_API void RL_Hilight(int x, int y, RECT contacts);
ROSTER_API BOOL RL_RClick(void);
ROSTER_API void RL_UserEvent(void);
/* entry 0 is the last clicked entry; what 5: text whose first byte is the add flag;
   what 10: the address of the entry's 16-bit status. */
ROSTER_API const char* RL_GetVar(int entry, int what);
/* The contact menu's command ids (22 Message ... 62 Comm Log) on the last clicked entry. */
ROSTER_API void RL_RCommand(WORD command);
ROSTER_API void RL_Up(void);
ROSTER_API void RL_Down(void);
ROSTER_API void RL_View(int view); /* 0 all, 1 online, 2 offline */
ROSTER_API void RL_ShowNews(void);
ROSTER_API HWND RL_Balloon(void);
ROSTER_API BOOL RL_EventIcon(int phase, char* name100, char* text300);
ROSTER_API BOOL RL_DoNextEvent(void);
/* Sends PKT_STATUS (and, first on a connection, PKT_CONTACTS_REQUEST) when logged in;
   shows everyone offline when not. */
ROSTER_API void RL_StatusChange(LONG accountNumber, BOOL loggedIn);
ROSTER_API int RL_EditAway(int status); /* 10 lets the change go on */
/* The thread that pings the KVX server (UDP, its own socket) every 30 s; the figure shows in
   the list's balloon over an empty row. Stop returns once the thread has ended. */
ROSTER_API void RL_StartPingThread(void);
ROSTER_API void RL_StopPingThread(void);
ROSTER_API void RL_Offline(void);
ROSTER_API void RL_RefreshIP(UINT_PTR socket);
ROSTER_API void RL_IPInfo(const IP_INFO_STRUCT* info);
ROSTER_API void RL_GotInfoRes(const SEARCH_INFO_STRUCT* result);
/* `record`: the 16-byte EventHead, then the event data, `length` bytes in all (the session
   drops the 4 bytes between them that PKT_NEW_EVENT carries). */
ROSTER_API void RL_NewEvent(const void* record, int length, int reserved, DWORD address, BOOL fromServer);

#ifdef __cplusplus
}
#endif

#endif
