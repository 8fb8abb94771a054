// The game being played, watched from outside: whether its window is still there, and what a
// running Subspace tells about itself.
#ifndef KVX_GAME_WATCH_H
#define KVX_GAME_WATCH_H

#include <windows.h>

struct GAME_RECORD;

// True once a game played under `status` has been given its grace time since `launchTick`
// and its watched window is gone; false for the games that are not watched.
bool GameHasEnded(WORD status, DWORD launchTick);
// Fills info and extra of `record` from a running Subspace and tags its title once with
// "[KVX]"; leaves `record` alone when none runs.
void ReadSubspace(GAME_RECORD* record);

#endif
