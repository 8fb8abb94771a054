/* probe: game-server scanning. */
#ifndef KVX_PROBE_H
#define KVX_PROBE_H

#include <windows.h>

#ifdef PROBE_EXPORTS
#define PROBE_API __declspec(dllexport)
#else
#define PROBE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the scanner for the game whose status code is `game` (600: Quake II; others open
   nothing), or brings the open one forward. The window "KVXProbe" is modeless, owned by no
   window and runs on the caller's message loop, which must be the bar's thread. It posts
   WM_USER+14 to `bar` to ask for the KVX server's list, and on a double click on a server
   that answered sends WM_USER+17 with wParam a GAME_RECORD* (the server's address, port and
   host name) and lParam 600. The user's own servers are kept in probe.ini in the folder
   current when the scanner first opens. */
PROBE_API void PR_StartSpy(HWND bar, int game);

/* Takes the payload of a PKT_GAME_SERVERS packet (length bytes, GameServersHead and its
   records, see wire/Packets.h) on the bar's thread. The list replaces the one before; the
   open scanner shows it at once, a closed one when it opens. Malformed payloads are cut to
   the records they hold. */
PROBE_API void PR_ServerList(const void* payload, int length);

#ifdef __cplusplus
}
#endif

#endif
