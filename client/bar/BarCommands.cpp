// CBar: every command id, from a hot region (lParam: the region's rectangle) or a menu
// item (lParam 0), handed to the part of the client that carries it out.
#include "bar/Bar.h"

#include "app/Globals.h"
#include "app/Reporter.h"
#include "app/Settings.h"
#include "games/GameLauncher.h"
#include "menus/CommandIds.h"
#include "menus/Menus.h"
#include "roster/roster.h"
#include "session/Session.h"
#include "skin/Painter.h"

namespace {
const char kNotYet[] = "Not yet implemented";
const LONG kLastCommand = 62;
} // namespace

void CBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const WORD id = LOWORD(wParam);
    if (id >= CMD_SKIN_FIRST) {
        m_painter->SelectSkin(id);
        InvalidateRect(g_hMainWnd, nullptr, FALSE);
        return;
    }
    if (id == 0 || id > kLastCommand) return;
    const RECT* region = reinterpret_cast<const RECT*>(lParam);
    const RECT none = {};
    const RECT& at = region ? *region : none;
    switch (id) {
    case CMD_MAIN_MENU: ShowMainMenu(at.left, at.top); break;
    case CMD_STATUS_MENU: ShowStatusMenu(at.left, at.top); break;
    case CMD_GAME_MENU: ShowGameMenu(at.left, at.bottom); break;
    case CMD_PREFS_MENU: ShowViewMenu(at.left, at.bottom); break;
    case CMD_EXIT: PostQuitMessage(0); break;
    case CMD_AVAILABLE:
    case CMD_OFFLINE:
    case CMD_AWAY:
    case CMD_NA: m_session->SetStatus(id); break;
    case CMD_ABOUT:
    case CMD_ONTOP:
    case CMD_FIND_USERS: m_session->OnCommand(id); break;
    case CMD_DOCK_LEFT: SetDock(10); break;
    case CMD_DOCK_RIGHT: SetDock(20); break;
    case CMD_DOCK_OFF:
        SetDock(0);
        DragMove(0, 0, true);
        break;
    case CMD_MESSAGE:
    case CMD_DELETE:
    case CMD_PING:
    case CMD_ADD_TO_LIST:
    case CMD_CHAT:
    case CMD_QUAKE2_INFO:
    case CMD_SUBSPACE_INFO:
    case CMD_EMAIL:
    case CMD_FILE:
    case CMD_INFO:
    case CMD_COMM_LOG: RL_RCommand(id); break;
    case CMD_VIEW_ONLINE:
    case CMD_VIEW_OFFLINE:
    case CMD_VIEW_ALL: SetContactView(id); break;
    case CMD_LAUNCH_QUAKE:
    case CMD_LAUNCH_SUBSPACE:
    case CMD_LAUNCH_UNREAL:
    case CMD_LAUNCH_TANARUS:
    case CMD_LAUNCH_QUAKE2:
    case CMD_LAUNCH_FIRETEAM: m_session->LaunchGame(id, nullptr); break;
    case CMD_LOCATE_QUAKE:
    case CMD_LOCATE_SUBSPACE:
    case CMD_LOCATE_UNREAL:
    case CMD_LOCATE_TANARUS:
    case CMD_LOCATE_QUAKE2:
    case CMD_LOCATE_FIRETEAM: ChooseGameLocation(id); break;
    case CMD_QUAKE2_SCAN: ScanQuake2(); break;
    // Labels never arrive from a menu; should one come, it gets the notice too.
    case CMD_UNREAL:
    case CMD_QUAKE:
    case CMD_QUAKE2:
    case CMD_SUBSPACE:
    case CMD_TANARUS:
    case CMD_GAME_PREFS:
    case CMD_GAME_ADD:
    case CMD_QUAKE2_DELETE:
    case CMD_AUTO_SEARCH: CReporter::Notice(kNotYet); break;
    default: break; // scrolling, hiding and the ad act from their regions; labels do nothing
    }
}

void CBar::SetContactView(UINT id)
{
    if (id == CMD_VIEW_ONLINE) g_Settings->WriteInt("KVX", "View", 1);
    else if (id == CMD_VIEW_OFFLINE) g_Settings->WriteInt("KVX", "View", 2);
    else if (id == CMD_VIEW_ALL) g_Settings->WriteInt("KVX", "View", 0);
    RL_View(g_Settings->ReadInt("KVX", "View"));
}
