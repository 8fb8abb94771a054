/* notepost: message windows between users. Message windows come with the contact list;
   until then NP_Send opens nothing. */
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

/* Opens a message window for `user` (all zero: a new message to anyone). */
NOTEPOST_API void NP_Send(USER_INFO_STRUCT user, WORD kind, LONG accountNumber, HWND bar);

#ifdef __cplusplus
}
#endif

#endif
