/* probe: game-server scanning. The scanner window comes with the games work; until then
   PR_StartSpy opens nothing. */
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

/* Opens the scanner for the game whose status code is `game` (600: Quake II). */
PROBE_API void PR_StartSpy(HWND bar, int game);

#ifdef __cplusplus
}
#endif

#endif
