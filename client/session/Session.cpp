// CSession: state, status changes, connecting and the reconnect policy.
#include "session/Session.h"

#include <stdio.h>
#include <string.h>

#include "app/Globals.h"
#include "app/Reporter.h"
#include "app/Settings.h"
#include "bar/BarTimers.h"
#include "bar/TrayIcon.h"
#include "games/GameLauncher.h"
#include "menus/CommandIds.h"
#include "records/Bar.h"
#include "roster/roster.h"
#include "session/Status.h"
#include "sockio/sockio.h"
#include "wire/Packets.h"

namespace {
// The network's own server; a local or test server is set in "Server"/"1".
const char kDefaultServerHost[] = "server.kvx.example";
const DWORD kOfflinePauseMs = 300;
const DWORD kShutdownPauseMs = 500;
} // namespace

CSession::CSession()
{
    m_accountNumber = g_Settings->ReadInt("User", "ID");
    if (!g_Settings->ReadString("Server", "1", m_serverHost, sizeof m_serverHost)) {
        lstrcpynA(m_serverHost, kDefaultServerHost, sizeof m_serverHost);
        g_Settings->WriteString("Server", "1", m_serverHost);
    }
}

CSession::~CSession()
{
    SetStatus(CMD_OFFLINE);
    Sleep(kShutdownPauseMs);
}

bool CSession::Start()
{
    const LONG view = g_Settings->ReadInt("KVX", "View");
    RL_View(view >= 1 ? view : 0); // the list decides what a hand-edited other value shows
    if (!SK_Init(1, 1)) return CReporter::SocketError("Could not initialize Winsock");

    const LONG onTop = g_Settings->ReadInt("Window", "OnTop");
    if (onTop < 0) g_Settings->WriteInt("Window", "OnTop", 0);
    if (onTop > 0) SetWindowPos(g_hMainWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    Connect();
    RL_ShowNews();
    return true;
}

// The status menu's commands: their side effects come first, whatever the status. False
// when the command has finished the change itself (or refused it).
bool CSession::ApplyStatusCommand(WORD code, WORD* status)
{
    switch (code) {
    case CMD_AVAILABLE:
        SetRetry(false);
        if (Connect()) return false;
        *status = STATUS_ONLINE;
        return true;
    case CMD_OFFLINE:
        SetRetry(false);
        *status = STATUS_OFFLINE;
        RL_StopPingThread();
        SK_StopPingServer();
        SK_StopEventServer();
        Sleep(kOfflinePauseMs);
        RL_Offline();
        return true;
    case CMD_AWAY: *status = STATUS_AWAY; return RL_EditAway(STATUS_AWAY) == 10;
    case CMD_NA: *status = STATUS_NA; return RL_EditAway(STATUS_NA) == 10;
    default: *status = code; return true;
    }
}

void CSession::SetStatus(unsigned code)
{
    WORD status = 0;
    if (!ApplyStatusCommand(LOWORD(code), &status)) return;
    if (status == m_status) return;
    // Away, N/A and the games need a login.
    if (status > STATUS_ONLINE && m_status < STATUS_ONLINE) return;

    m_status = status;
    if (status == STATUS_OFFLINE) RL_StatusChange(m_accountNumber, FALSE);
    else if (status >= STATUS_ONLINE) RL_StatusChange(m_accountNumber, TRUE);
    ShowStatusInTray();
    if (status == STATUS_OFFLINE) CloseConnection();
    SendMessageA(g_hMainWnd, BAR_STATUS_CHANGED, 0, 0);
}

bool CSession::Connect()
{
    KillTimer(g_hMainWnd, TIMER_RETRY);
    if (m_status >= STATUS_CONNECTING) return false;
    SetStatus(STATUS_CONNECTING);
    m_socket.Connect(m_serverHost, kServerPort);
    return true;
}

void CSession::SetRetry(bool arm)
{
    KillTimer(g_hMainWnd, TIMER_RETRY);
    m_retryArmed = arm;
    if (arm) SetTimer(g_hMainWnd, TIMER_RETRY, kRetryMs, nullptr);
}

void CSession::ShowStatusInTray()
{
    const StatusLook* look = FindStatusLook(m_status);
    if (!look) return;
    if (g_TrayIcon) g_TrayIcon->SetIcon(look->icon, look->tooltip, m_accountNumber);
    if (m_status == STATUS_OFFLINE) CloseConnection();
}

void CSession::LaunchGame(WORD id, const char* parameters)
{
    const WORD game = StartGame(id, parameters);
    if (!game) return;
    m_gameLaunchTick = GetTickCount();
    SetStatus(game);
}

void CSession::CloseConnection() { m_socket.Close(); }

void CSession::SendKeepAlive() { m_socket.Send(PKT_KEEP_ALIVE, nullptr, 0); }

void CSession::SendLibraryRequest() { m_socket.Send(PKT_LIBRARY_REQUEST, nullptr, 0); }

UINT_PTR CSession::LoggedInSocket() const { return m_status >= STATUS_ONLINE ? m_socket.Handle() : 0; }
