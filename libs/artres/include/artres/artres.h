/* artres: the named 16 x 16 icons of the bar, the menus and the notification area:
   "Off", "On", "Away", "NA", "Na", "Quake2", "Quake", "Unreal", "Subspace", "Tanarus",
   "Fireteam", "Launch", "System", "Prefs", "Check", "Msg", "Del", "Add", "Chat", "Spy",
   "Search", "email", "file", "Log" and "Blank" (fully transparent). Names are
   case-sensitive; any other name gives NULL, which draws nothing. */
#ifndef KVX_ARTRES_H
#define KVX_ARTRES_H

#include <windows.h>

#ifdef ARTRES_EXPORTS
#define ARTRES_API __declspec(dllexport)
#else
#define ARTRES_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* An icon owned by the library, valid across calls; NULL for an unknown name. */
ARTRES_API HICON AR_Icon(const char* name);
/* A new icon the caller destroys (type 1 = icon), or NULL. */
ARTRES_API HICON AR_Image(const char* name, int type, int width, int height, UINT flags);

#ifdef __cplusplus
}
#endif

#endif
