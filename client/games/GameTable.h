// The six games the client knows: their status codes, names (also their settings sections),
// menu commands and the window class that shows one is still running.
#ifndef KVX_GAME_TABLE_H
#define KVX_GAME_TABLE_H

#include <windows.h>

struct GameInfo {
    WORD status;      // the user's status while playing it
    const char* name; // settings section, dialog title and error text
    WORD launchCommand;
    WORD locateCommand;
    const char* watchedClass; // top-level window class while it runs, or null: not watched
};

const size_t kGameNameSize = 9; // the longest name, "Fireteam" or "Subspace", and its zero

// The game of a launch command, a location command or a game status code; null otherwise.
const GameInfo* FindGame(WORD id);
// The game status code of `id` (as FindGame), copying the game's name into `name` (at least
// kGameNameSize characters); 0, leaving `name` alone, for any other id.
WORD LookupGame(WORD id, char* name);

#endif
