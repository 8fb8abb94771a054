#include "games/GameLauncher.h"

#include <winsock2.h>

#include <commdlg.h>
#include <shellapi.h>
#include <stdio.h>

#include "app/Globals.h"
#include "app/Reporter.h"
#include "app/Settings.h"
#include "games/GameTable.h"
#include "menus/CommandIds.h"
#include "probe/probe.h"
#include "records/GameRecord.h"
#include "wire/Status.h"

namespace {
const DWORD kOpenFlags =
    OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NODEREFERENCELINKS;
static_assert(kOpenFlags == 0x10180C, "the location dialog's flags");
const char kExeFilter[] = "EXE Files (*.exe)\0*.exe\0All Files (*.*)\0*.*\0";

bool HasLocation(const char* game)
{
    char dir[MAX_PATH];
    return g_Settings->ReadString(game, "Dir", dir, sizeof dir);
}
} // namespace

bool ChooseGameLocation(WORD id)
{
    char name[kGameNameSize];
    if (!LookupGame(id, name)) return false;
    char title[64];
    wsprintfA(title, "Choose %s Location", name);
    // A location never chosen proposes the store's "NONE", as it reads.
    char dir[256] = "";
    char file[MAX_PATH] = "";
    g_Settings->ReadString(name, "Dir", dir, sizeof dir);
    g_Settings->ReadString(name, "File", file, 256);
    char fileTitle[MAX_PATH] = "";

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = g_hMainWnd;
    dialog.lpstrFilter = kExeFilter;
    dialog.lpstrDefExt = "exe";
    dialog.lpstrTitle = title;
    dialog.lpstrInitialDir = dir;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = sizeof fileTitle;
    dialog.Flags = kOpenFlags;
    if (!GetOpenFileNameA(&dialog)) return false;

    file[dialog.nFileOffset] = '\0'; // keeps the folder with its trailing backslash
    // A location that cannot be stored could not be launched from: not chosen.
    return g_Settings->WriteString(name, "File", fileTitle) && g_Settings->WriteString(name, "Dir", file);
}

WORD StartGame(WORD id, const char* parameters)
{
    char name[kGameNameSize];
    const WORD game = LookupGame(id, name);
    if (!game) return 0;
    if (!HasLocation(name) && !ChooseGameLocation(id)) return 0;
    char dir[MAX_PATH] = "";
    char file[MAX_PATH] = "";
    g_Settings->ReadString(name, "Dir", dir, sizeof dir);
    g_Settings->ReadString(name, "File", file, sizeof file);
    // The folder and the name joined: the game starts from its own folder, whatever the
    // shell would make of a bare name.
    char path[2 * MAX_PATH];
    wsprintfA(path, "%s%s", dir, file);
    const HINSTANCE result = ShellExecuteA(g_hMainWnd, "open", path, parameters, dir, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        CReporter::Error("Error launching (%s)", name);
        return 0;
    }
    return game;
}

void JoinParameters(const GAME_RECORD& record, WORD game, char* parameters, size_t size)
{
    if (size) parameters[0] = '\0';
    if (game != STATUS_QUAKE2) return;
    in_addr address;
    address.s_addr = record.addr;
    snprintf(parameters, size, "+connect %s:%d", inet_ntoa(address), static_cast<int>(record.port));
}

void ScanQuake2()
{
    if (!HasLocation("Quake II") && !ChooseGameLocation(CMD_LAUNCH_QUAKE2)) return;
    PR_StartSpy(g_hMainWnd, STATUS_QUAKE2);
}
