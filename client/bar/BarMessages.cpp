// CBar: the private messages of the in-house libraries, the shell and the session, the
// game report from other processes, and the timers.
#include "bar/Bar.h"

#include <string.h>

#include "ads/AdRotator.h"
#include "app/Globals.h"
#include "bar/BarLayout.h"
#include "bar/TrayIcon.h"
#include "menus/Menus.h"
#include "roster/roster.h"
#include "session/Session.h"
#include "session/Status.h"

namespace {
enum BarTimer : UINT_PTR {
    kApplyDockTimer = 30,
    kBalloonTimer = 10,
    kQuietTimer = 20,
    kKeepAliveTimer = 50,
    kBlinkTimer = 60,
    kGameCheckTimer = 70,
};
} // namespace

LRESULT CBar::OnTrayNotifyMessage(HWND, WPARAM, LPARAM lParam)
{
    OnTrayNotify(lParam);
    return 0;
}

LRESULT CBar::OnShowMessageMessage(HWND window, WPARAM wParam, LPARAM lParam)
{
    MessageBoxA(GetActiveWindow(), reinterpret_cast<const char*>(wParam), reinterpret_cast<const char*>(lParam), MB_OK);
    return DefWindowProcA(window, kShowMessage, wParam, lParam);
}

LRESULT CBar::OnStatusChangedMessage(HWND window, WPARAM wParam, LPARAM lParam)
{
    const RECT status = AnchorRect(kStatusRect);
    InvalidateRect(window, &status, FALSE);
    return DefWindowProcA(window, kStatusChanged, wParam, lParam);
}

LRESULT CBar::OnConnectResultMessage(HWND window, WPARAM wParam, LPARAM lParam)
{
    m_session->OnConnectResult(wParam, lParam);
    return DefWindowProcA(window, kConnectResult, wParam, lParam);
}

LRESULT CBar::OnQueryStatusMessage(HWND, WPARAM, LPARAM) { return m_session->Status(); }

LRESULT CBar::OnQueryAccountMessage(HWND, WPARAM, LPARAM) { return m_session->AccountNumber(); }

LRESULT CBar::OnQuerySocketMessage(HWND, WPARAM, LPARAM)
{
    return static_cast<LRESULT>(m_session->LoggedInSocket());
}

LRESULT CBar::OnLibraryRequestMessage(HWND window, WPARAM wParam, LPARAM lParam)
{
    m_session->SendLibraryRequest();
    return DefWindowProcA(window, kLibraryRequest, wParam, lParam);
}

LRESULT CBar::OnJoinGameMessage(HWND window, WPARAM wParam, LPARAM lParam)
{
    // The sender is a library inside this process, and sends (never posts) the record.
    OnJoinGame(reinterpret_cast<const GAME_RECORD*>(wParam), static_cast<WORD>(lParam));
    return DefWindowProcA(window, kJoinGame, wParam, lParam);
}

LRESULT CBar::OnQueryGameRecordMessage(HWND, WPARAM, LPARAM)
{
    if (m_session->Status() == STATUS_SUBSPACE) ReadSubspaceInfo();
    GAME_RECORD& record = m_session->GameRecord();
    return record.info[0] ? reinterpret_cast<LRESULT>(&record) : 0;
}

LRESULT CBar::OnSocketEventMessage(HWND window, WPARAM wParam, LPARAM lParam)
{
    m_session->OnSocketEvent(HIWORD(lParam), lParam, wParam);
    return DefWindowProcA(window, kSocketEvent, wParam, lParam);
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
    memcpy(&m_session->GameRecord(), data->lpData, sizeof(GAME_RECORD));
    m_session->SetStatus(STATUS_QUAKE2);
    return 1;
}

void CBar::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kApplyDockTimer:
        KillTimer(g_hMainWnd, kApplyDockTimer);
        PostMessageA(g_hMainWnd, WM_SHOWWINDOW, 0, 0);
        PostMessageA(g_hMainWnd, WM_SHOWWINDOW, 1, 0);
        break;
    case kBalloonTimer: UpdateBalloon(); break;
    case kQuietTimer:
        if (m_balloon) UpdateHover(0, 0);
        if (m_session->Status() < STATUS_QUAKE2) m_ads->Next(); // the banner stands still in a game
        break;
    case CSession::kRetryTimer: m_session->Connect(); break;
    case kKeepAliveTimer: m_session->SendKeepAlive(); break;
    case kBlinkTimer: BlinkTrayEvent(); break;
    case kGameCheckTimer: CheckRunningGame(); break;
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
