// CBar: the private messages of the in-house libraries, the shell and the session, the
// game report from other processes, and the timers.
#include "bar/Bar.h"

#include <string.h>

#include "ads/AdRotator.h"
#include "app/Globals.h"
#include "bar/BarLayout.h"
#include "bar/BarTimers.h"
#include "bar/TrayIcon.h"
#include "games/GameLauncher.h"
#include "games/GameWatch.h"
#include "menus/CommandIds.h"
#include "menus/Menus.h"
#include "records/Bar.h"
#include "roster/roster.h"
#include "session/Session.h"
#include "session/Status.h"

LRESULT CBar::OnTrayNotifyMessage(HWND, UINT, WPARAM, LPARAM lParam)
{
    OnTrayNotify(lParam);
    return 0;
}

LRESULT CBar::OnShowMessageMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MessageBoxA(GetActiveWindow(), reinterpret_cast<const char*>(wParam), reinterpret_cast<const char*>(lParam), MB_OK);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnStatusChangedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const RECT status = AnchorRect(kStatusRect);
    InvalidateRect(window, &status, FALSE);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnConnectResultMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    m_session->OnConnectResult(wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnQueryStatusMessage(HWND, UINT, WPARAM, LPARAM) { return m_session->Status(); }

LRESULT CBar::OnQueryAccountMessage(HWND, UINT, WPARAM, LPARAM) { return m_session->AccountNumber(); }

LRESULT CBar::OnQuerySocketMessage(HWND, UINT, WPARAM, LPARAM)
{
    return static_cast<LRESULT>(m_session->LoggedInSocket());
}

LRESULT CBar::OnLibraryRequestMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    m_session->SendLibraryRequest();
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnJoinGameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The sender is a library inside this process, and sends (never posts) the record.
    if (const GAME_RECORD* record = reinterpret_cast<const GAME_RECORD*>(wParam)) m_session->SetGameRecord(*record);
    const WORD game = static_cast<WORD>(lParam);
    char parameters[200];
    JoinParameters(m_session->GameRecord(), game, parameters, sizeof parameters);
    m_session->LaunchGame(game, parameters);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnQueryGameRecordMessage(HWND, UINT, WPARAM, LPARAM)
{
    if (m_session->Status() == STATUS_SUBSPACE) {
        GAME_RECORD record = m_session->GameRecord();
        ReadSubspace(&record);
        m_session->SetGameRecord(record);
    }
    const GAME_RECORD& record = m_session->GameRecord();
    return record.info[0] ? reinterpret_cast<LRESULT>(&record) : 0;
}

LRESULT CBar::OnSocketEventMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    m_session->OnSocketEvent(HIWORD(lParam), lParam, wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

void CBar::OnTrayNotify(LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONDBLCLK && !RL_DoNextEvent()) {
        ShowWindow(g_hMainWnd, SW_SHOW);
        SetForegroundWindow(g_hMainWnd);
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        ShowMainMenu(0, 0);
    }
}

LRESULT CBar::OnCopyData(HWND, const COPYDATASTRUCT* data)
{
    // A report from another process is one record, whatever else follows it; a shorter one
    // would be read past its end.
    if (!data || data->dwData != kGameReport) return 0;
    if (!data->lpData || data->cbData < sizeof(GAME_RECORD)) return 0;
    GAME_RECORD record;
    memcpy(&record, data->lpData, sizeof record);
    m_session->SetGameRecord(record);
    m_session->SetStatus(STATUS_QUAKE2);
    return 1;
}

void CBar::OnTimer(UINT_PTR id)
{
    switch (id) {
    case TIMER_APPLY_DOCK:
        KillTimer(g_hMainWnd, TIMER_APPLY_DOCK);
        PostMessageA(g_hMainWnd, WM_SHOWWINDOW, 0, 0);
        PostMessageA(g_hMainWnd, WM_SHOWWINDOW, 1, 0);
        break;
    case TIMER_BALLOON: UpdateBalloon(); break;
    case TIMER_QUIET:
        if (m_balloon) UpdateHover(0, 0);
        if (m_session->Status() < STATUS_QUAKE2) m_ads->Next(); // the banner stands still in a game
        break;
    case TIMER_RETRY: m_session->Connect(); break;
    case TIMER_KEEP_ALIVE: m_session->SendKeepAlive(); break;
    case TIMER_BLINK: BlinkTrayEvent(); break;
    case TIMER_GAME_CHECK: CheckRunningGame(); break;
    default: break;
    }
}

void CBar::BlinkTrayEvent()
{
    char iconName[100] = {};
    if (RL_EventIcon(m_blinkPhase, iconName, m_eventText)) {
        m_trayRestored = false;
        if (!g_TrayIcon) return;
        g_TrayIcon->SetIcon(m_blinkPhase ? iconName : "Blank", "KVX %s", m_eventText);
        m_blinkPhase = !m_blinkPhase;
        return;
    }
    if (m_trayRestored) return;
    m_trayRestored = true;
    m_session->ShowStatusInTray();
}

void CBar::CheckRunningGame()
{
    if (!GameHasEnded(m_session->Status(), m_session->GameLaunchTick())) return;
    m_session->SetStatus(CMD_AVAILABLE);
    InvalidateRect(g_hMainWnd, nullptr, TRUE);
}
