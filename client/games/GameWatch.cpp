#include "games/GameWatch.h"

#include <stdio.h>
#include <string.h>

#include "games/GameTable.h"
#include "records/GameRecord.h"
#include "wire/Status.h"

namespace {

const DWORD kLaunchGraceMs = 10000; // time for a game to open its window
const char kTitleTag[] = "[KVX]";
// Where a running Subspace keeps what the record carries, inside its own process.
const uintptr_t kSubspaceInfoAddress = 0x4AC948;
const uintptr_t kSubspaceExtraAddress = 0x4AC9C8;
// All access as every Windows defines it; the newer SDKs' PROCESS_ALL_ACCESS (0x1FFFFF) asks
// for bits an older system, or a process that grants only the rights it knows, refuses.
const DWORD kGameProcessAccess = 0x1F0FFF;

void ReadGameMemory(HANDLE process, uintptr_t address, void* buffer, SIZE_T size)
{
    SIZE_T read = 0;
    ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), buffer, size, &read);
}

} // namespace

bool GameHasEnded(WORD status, DWORD launchTick)
{
    if (status < STATUS_QUAKE2) return false;
    if (GetTickCount() - launchTick < kLaunchGraceMs) return false;
    const GameInfo* game = FindGame(status);
    if (!game || !game->watchedClass) return false; // the other games are not watched
    return !FindWindowA(game->watchedClass, nullptr);
}

void ReadSubspace(GAME_RECORD* record)
{
    HWND window = FindWindowA(FindGame(STATUS_SUBSPACE)->watchedClass, nullptr);
    if (!window) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(kGameProcessAccess, TRUE, pid);
    char title[100] = "";
    GetWindowTextA(window, title, sizeof title);
    if (process) {
        ReadGameMemory(process, kSubspaceInfoAddress, record->info, sizeof record->info);
        ReadGameMemory(process, kSubspaceExtraAddress, record->extra, sizeof record->extra);
    }
    // Tagged once: a title that carries the tag already is left as it is.
    if (!strstr(title, kTitleTag)) {
        char tagged[sizeof title + sizeof kTitleTag + 1];
        snprintf(tagged, sizeof tagged, "%s %s", title, kTitleTag);
        SetWindowTextA(window, tagged);
    }
    if (process) CloseHandle(process);
}
