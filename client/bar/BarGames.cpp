// CBar: the game being played. Joining a server, noticing that the game has ended, and
// reading a running Subspace into the game record.
#include "bar/Bar.h"

#include <winsock2.h>

#include <stdio.h>
#include <string.h>

#include "app/Globals.h"
#include "records/GameRecord.h"
#include "games/GameTable.h"
#include "menus/CommandIds.h"
#include "session/Session.h"
#include "session/Status.h"

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

void CBar::OnJoinGame(const GAME_RECORD* record, WORD game)
{
    if (record) memcpy(&m_session->GameRecord(), record, sizeof(GAME_RECORD));
    char parameters[200] = "";
    if (game == STATUS_QUAKE2) {
        in_addr address;
        address.s_addr = m_session->GameRecord().addr;
        snprintf(parameters, sizeof parameters, "+connect %s:%d", inet_ntoa(address),
                 static_cast<int>(m_session->GameRecord().port));
    }
    m_session->LaunchGame(game, parameters);
}

void CBar::CheckRunningGame()
{
    const WORD status = m_session->Status();
    if (status < STATUS_QUAKE2) return;
    if (GetTickCount() - m_session->GameLaunchTick() < kLaunchGraceMs) return;
    const GameInfo* game = FindGame(status);
    if (!game || !game->watchedClass) return; // the other games are not watched
    if (FindWindowA(game->watchedClass, nullptr)) return;
    m_session->SetStatus(CMD_AVAILABLE);
    InvalidateRect(g_hMainWnd, nullptr, TRUE);
}

void CBar::ReadSubspaceInfo()
{
    HWND window = FindWindowA(FindGame(STATUS_SUBSPACE)->watchedClass, nullptr);
    if (!window) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(kGameProcessAccess, TRUE, pid);
    char title[100] = "";
    GetWindowTextA(window, title, sizeof title);
    if (process) {
        GAME_RECORD& record = m_session->GameRecord();
        ReadGameMemory(process, kSubspaceInfoAddress, record.info, sizeof record.info);
        ReadGameMemory(process, kSubspaceExtraAddress, record.extra, sizeof record.extra);
    }
    // Tagged once: a title that carries the tag already is left as it is.
    if (!strstr(title, kTitleTag)) {
        char tagged[sizeof title + sizeof kTitleTag + 1];
        snprintf(tagged, sizeof tagged, "%s %s", title, kTitleTag);
        SetWindowTextA(window, tagged);
    }
    if (process) CloseHandle(process);
}
