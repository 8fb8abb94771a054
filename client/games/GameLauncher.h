// Starting the games: where each one's executable lives (chosen once in an open-file dialog
// and kept in the game's settings section), the launch from its own folder, and the Quake II
// server scanner. `id` is a game's launch or location command or its status code.
#ifndef KVX_GAME_LAUNCHER_H
#define KVX_GAME_LAUNCHER_H

#include <windows.h>

#include <stddef.h>

struct GAME_RECORD;

// The open-file dialog for the game's executable; true when one was picked and stored.
bool ChooseGameLocation(WORD id);
// Starts the game from its folder (asking for it first when never chosen) with `parameters`
// (may be null). The game's status code once started; 0 when it was not (a failed start is
// reported).
WORD StartGame(WORD id, const char* parameters);
// The command line that joins the server of `record` in `game`: "+connect ADDRESS:PORT" for
// Quake II, empty for the others.
void JoinParameters(const GAME_RECORD& record, WORD game, char* parameters, size_t size);
// The Quake II server scanner, once Quake II's location is known.
void ScanQuake2();

#endif
