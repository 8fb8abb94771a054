/* notepost: message windows between users, and the log of every message sent or received.
   A message window sends by itself: its Send asks the bar for the logged-in socket
   (SendMessage WM_USER+13, 0 when offline) and writes PKT_MESSAGE_SEND on it. The log of
   the user with KVX# <account> is Logs\<account>.txt under the working folder. */
#ifndef KVX_NOTEPOST_H
#define KVX_NOTEPOST_H

#include <windows.h>
#include "records/kvxrecords.h"

#ifdef NOTEPOST_EXPORTS
#define NOTEPOST_API __declspec(dllexport)
#else
#define NOTEPOST_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opens a message window (class "KVXNote") from `accountNumber` to `user` (its account and
   nickname are read); with user.accountNumber 0 the recipient's KVX# is typed into the
   window. `kind` says what opened it and changes nothing. */
NOTEPOST_API void NP_Send(USER_INFO_STRUCT user, WORD kind, LONG accountNumber, HWND bar);

/* Shows a received message (sentAt: seconds since 1970, UTC) in a message window with
   Reply, which opens a message window to the sender. */
NOTEPOST_API void NP_Show(LONG from, const char* nickname, DWORD sentAt, const char* text, LONG accountNumber,
                          HWND bar);

/* Appends one message to the log of `accountNumber`: sent to or (`received`) from `other`. */
NOTEPOST_API void NP_Log(LONG accountNumber, LONG other, const char* nickname, BOOL received, DWORD when,
                         const char* text);

/* Shows the logged messages between `accountNumber` and `other` in an information window. */
NOTEPOST_API void NP_ShowLog(LONG accountNumber, LONG other, const char* nickname);

#ifdef __cplusplus
}
#endif

#endif
