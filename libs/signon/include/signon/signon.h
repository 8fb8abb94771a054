/* signon: the sign-up and find-users wizards, run modally over the server connection. */
#ifndef KVX_SIGNON_H
#define KVX_SIGNON_H

#include <windows.h>
#include "records/kvxrecords.h"

#ifdef SIGNON_EXPORTS
#define SIGNON_API __declspec(dllexport)
#else
#define SIGNON_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Runs the sign-up wizard. TRUE when finished: user->accountNumber holds the new account
   (0 for none) and user->password its password. FALSE when cancelled. A call while the
   wizard is open (the caller lost its connection and asks again on a new one) lets the open
   wizard go on over the new socket and returns when it closes, with the outcome; the earlier
   call then returns TRUE with account 0. */
SIGNON_API BOOL SO_Signup(HWND bar, USER_INFO_STRUCT* user, UINT_PTR socket);

/* Hands the wizards a packet of the sign-on range (1200 to 1300) received by the session,
   while a wizard waits for the server's answer. */
SIGNON_API void SO_Message(PACKET_DATA packet, UINT_PTR socket);

/* Runs the find-and-add-users dialog (FindIds.h) modally over `bar`: searches over `socket`
   (0: not connected, which the dialog says), and adds the chosen users to the contact list.
   TRUE when at least one was added. */
SIGNON_API BOOL SO_Find(HWND bar, UINT_PTR socket);

#ifdef __cplusplus
}
#endif

#endif
