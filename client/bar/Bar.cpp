#include "bar/Bar.h"

#include "ads/AdRotator.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "bar/AppBar.h"
#include "bar/BarLayout.h"
#include "bar/HotRegion.h"
#include "bar/BarTimers.h"
#include "bar/TrayIcon.h"
#include "menus/CommandIds.h"
#include "notepost/notepost.h"
#include "records/Bar.h"
#include "roster/roster.h"
#include "session/Session.h"
#include "skin/Painter.h"
#include "winkit/winkit.h"

namespace {
const WORD kTrayIconId = 10;
const WORD kNoteKindF5 = 100;

struct TimerPlan {
    UINT id;
    UINT periodMs;
};
// In this order; the session arms its reconnect timer itself.
const TimerPlan kTimers[] = {{TIMER_APPLY_DOCK, 1},     {TIMER_BALLOON, 250}, {TIMER_QUIET, 25000},
                             {TIMER_KEEP_ALIVE, 60000}, {TIMER_BLINK, 500},   {TIMER_GAME_CHECK, 5000}};

} // namespace

const Route<CBar> CBar::kRoutes[] = {
    {WM_SIZE, &CBar::OnSizeMessage},
    {WM_ACTIVATE, &CBar::OnActivateMessage},
    {WM_SETFOCUS, &CBar::OnSetFocusMessage},
    {WM_KILLFOCUS, &CBar::OnKillFocusMessage},
    {WM_PAINT, &CBar::OnPaintMessage},
    {WM_CLOSE, &CBar::OnCloseMessage},
    {WM_ERASEBKGND, &CBar::OnEraseBackground},
    {WM_GETMINMAXINFO, &CBar::OnGetMinMaxInfoMessage},
    {WM_SHOWWINDOW, &CBar::OnShowWindowMessage},
    {WM_DRAWITEM, &CBar::OnDrawItemMessage},
    {WM_MEASUREITEM, &CBar::OnMeasureItemMessage},
    {WM_COPYDATA, &CBar::OnCopyDataMessage},
    {WM_NCPAINT, &CBar::OnNcPaintMessage},
    {WM_KEYDOWN, &CBar::OnKeyDownMessage},
    {WM_COMMAND, &CBar::OnCommandMessage},
    {WM_TIMER, &CBar::OnTimerMessage},
    {WM_MOUSEMOVE, &CBar::OnMouseMoveMessage},
    {WM_NCMOUSEMOVE, &CBar::OnNcMouseMoveMessage},
    {WM_LBUTTONDOWN, &CBar::OnButtonDownMessage},
    {WM_RBUTTONDOWN, &CBar::OnButtonDownMessage},
    {WM_LBUTTONUP, &CBar::OnLButtonUpMessage},
    {WM_RBUTTONUP, &CBar::OnRButtonUpMessage},
    {WM_LBUTTONDBLCLK, &CBar::OnLButtonDblClkMessage},
    {WM_QUERYNEWPALETTE, &CBar::OnQueryNewPaletteMessage},
    {WM_PALETTECHANGED, &CBar::OnPaletteChangedMessage},
    {WM_WINDOWPOSCHANGED, &CBar::OnPositionChanged},
    {BAR_TRAY_NOTIFY, &CBar::OnTrayNotifyMessage},
    {BAR_SHOW_MESSAGE, &CBar::OnShowMessageMessage},
    {BAR_STATUS_CHANGED, &CBar::OnStatusChangedMessage},
    {BAR_CONNECT_RESULT, &CBar::OnConnectResultMessage},
    {BAR_QUERY_STATUS, &CBar::OnQueryStatusMessage},
    {BAR_QUERY_ACCOUNT, &CBar::OnQueryAccountMessage},
    {BAR_QUERY_SOCKET, &CBar::OnQuerySocketMessage},
    {BAR_LIBRARY_REQUEST, &CBar::OnLibraryRequestMessage},
    {BAR_JOIN_GAME, &CBar::OnJoinGameMessage},
    {BAR_QUERY_GAME_RECORD, &CBar::OnQueryGameRecordMessage},
    {BAR_SOCKET_EVENT, &CBar::OnSocketEventMessage},
};

CBar::CBar() : m_painter(new CPainter)
{
    ChooseSkin();
    m_session.reset(new CSession);
}

CBar::~CBar()
{
    // A bar that never loaded a skin keeps the stored choice: an empty value would also
    // give an error box at every later start.
    if (m_painter->Skin().Name()[0]) g_Settings->WriteString("Window", "SkinM", m_painter->Skin().Name());
    // In this order: docked at shutdown, the strip goes back to the shell and "Dock" keeps
    // the edge; the session says goodbye and shows Offline on the tray icon while both are
    // there; the painter, whose skin and palette everything drew with, goes last.
    m_appBar.reset();
    m_session.reset();
    m_ads.reset();
    m_trayIcon.reset();
    g_TrayIcon = nullptr;
    m_painter.reset();
    m_regions.clear();
}

void CBar::ChooseSkin()
{
    char name[CSkin::kNameSize] = "";
    if (g_Settings->ReadString("Window", "SkinM", name, sizeof name)) {
        if (m_painter->SetSkin(name)) return;
        lstrcpyA(name, "LoDef");
    } else {
        lstrcpyA(name, "HiDef");
    }
    m_painter->SetSkin(name);
}

RECT CBar::AnchorRect(RECT rect) const
{
    RECT client;
    GetClientRect(g_hMainWnd, &client);
    const LONG shift = client.bottom - m_painter->Skin().Bottom().Height();
    rect.top += shift;
    rect.bottom += shift;
    return rect;
}

bool CBar::OnCreate()
{
    RL_Init(g_hMainWnd);
    m_trayIcon.reset(new CTrayIcon(kTrayIconId, "Off", "KVX"));
    g_TrayIcon = m_trayIcon.get();
    CreateRegions();
    m_ads.reset(new CAdRotator(g_hMainWnd, kAdRect.left, kAdRect.top, kAdRect.right, kAdRect.bottom));
    m_ads->Next();
    m_session->Start();
    for (const TimerPlan& timer : kTimers) SetTimer(g_hMainWnd, timer.id, timer.periodMs, nullptr);
    return true;
}

LRESULT CBar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (Dispatch(*this, kRoutes, window, message, wParam, lParam, &result)) return result;
    return DefWindowProcA(window, message, wParam, lParam);
}

bool CBar::LastWindowRect(RECT* rect) const
{
    if (!m_hasRect) return false;
    *rect = m_lastRect;
    return true;
}

LRESULT CBar::OnSizeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SetWindowRegion(window);
    // The bottom piece and everything anchored to it move with the height: all of it is new.
    InvalidateRect(window, nullptr, FALSE);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnActivateMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != WA_INACTIVE) return m_painter->Realize(window) ? 1 : 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnSetFocusMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SetActive(true);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnKillFocusMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SetActive(false);
    return DefWindowProcA(window, message, wParam, lParam);
}

// The texts turn yellow or grey with the focus.
void CBar::SetActive(bool active)
{
    m_active = active;
    UpdateHover(0, 0);
    InvalidateRect(g_hMainWnd, &kAccountRect, FALSE);
    const RECT status = AnchorRect(kStatusRect);
    InvalidateRect(g_hMainWnd, &status, FALSE);
}

LRESULT CBar::OnPaintMessage(HWND window, UINT, WPARAM, LPARAM)
{
    HDC dc = m_painter->Begin(window, m_active);
    m_painter->DrawAccountNumber(m_session->AccountNumber(), kAccountRect);
    m_painter->DrawStatus(m_session->Status(), AnchorRect(kStatusRect));
    if (m_ads) m_ads->Paint(dc);
    RL_Paint(dc, ContactListRect(window));
    for (const ButtonIcon& button : kButtonIcons) m_painter->DrawButtonIcon(button.region, button.rect);
    if (const CHotRegion* lit = LitRegion()) m_painter->DrawHighlight(dc, lit->CurrentRect(), lit->IsPressed());
    return m_painter->End();
}

LRESULT CBar::OnCloseMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnEraseBackground(HWND, UINT, WPARAM, LPARAM)
{
    // The paint covers the whole bar; erasing first would only flicker.
    return 1;
}

LRESULT CBar::OnGetMinMaxInfoMessage(HWND, UINT, WPARAM, LPARAM lParam)
{
    OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
    return 0;
}

LRESULT CBar::OnShowWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    OnShowWindow(wParam != 0);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnDrawItemMessage(HWND, UINT, WPARAM, LPARAM lParam)
{
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType == ODT_MENU) m_painter->DrawMenuItem(item);
    return TRUE;
}

LRESULT CBar::OnMeasureItemMessage(HWND, UINT, WPARAM, LPARAM lParam)
{
    MEASUREITEMSTRUCT* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (item->CtlType == ODT_MENU) {
        item->itemWidth = m_painter->MeasureMenuItem(item);
        item->itemHeight = 20;
    }
    return TRUE;
}

LRESULT CBar::OnCopyDataMessage(HWND, UINT, WPARAM wParam, LPARAM lParam)
{
    return OnCopyData(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
}

LRESULT CBar::OnNcPaintMessage(HWND window, UINT, WPARAM, LPARAM)
{
    WK_PaintNC(window);
    return 0;
}

LRESULT CBar::OnKeyDownMessage(HWND, UINT, WPARAM wParam, LPARAM)
{
    OnKeyDown(wParam);
    return 0;
}

LRESULT CBar::OnCommandMessage(HWND, UINT, WPARAM wParam, LPARAM lParam)
{
    OnCommand(wParam, lParam);
    return 0;
}

LRESULT CBar::OnTimerMessage(HWND, UINT, WPARAM wParam, LPARAM)
{
    OnTimer(wParam);
    return 0;
}

LRESULT CBar::OnMouseMoveMessage(HWND, UINT, WPARAM, LPARAM lParam)
{
    OnMouseMove(lParam);
    return 0;
}

LRESULT CBar::OnNcMouseMoveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    UpdateHover(0, 0);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnButtonDownMessage(HWND, UINT, WPARAM, LPARAM lParam)
{
    DragMove(LOWORD(lParam), HIWORD(lParam), false);
    return 0;
}

LRESULT CBar::OnLButtonUpMessage(HWND, UINT, WPARAM, LPARAM lParam)
{
    OnLButtonUp(LOWORD(lParam), HIWORD(lParam));
    return 0;
}

LRESULT CBar::OnRButtonUpMessage(HWND, UINT, WPARAM, LPARAM lParam)
{
    OnRButtonUp(LOWORD(lParam), HIWORD(lParam));
    return 0;
}

LRESULT CBar::OnLButtonDblClkMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RL_RClick();
    RL_UserEvent();
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnQueryNewPaletteMessage(HWND window, UINT, WPARAM, LPARAM) { return m_painter->Realize(window) ? 1 : 0; }

LRESULT CBar::OnPaletteChangedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Our own realisation announces itself too; answering it would loop.
    if (reinterpret_cast<HWND>(wParam) != window) m_painter->Realize(window);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CBar::OnPositionChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    m_hasRect = GetWindowRect(window, &m_lastRect) != FALSE;
    return DefWindowProcA(window, message, wParam, lParam);
}

void CBar::OnKeyDown(WPARAM key)
{
    if (key == VK_ESCAPE) {
        if (MessageBoxA(g_hMainWnd, "Do you want to quit KVX?", "KVX", MB_YESNO | MB_ICONQUESTION) == IDYES)
            PostQuitMessage(0);
    } else if (key == VK_F5) {
        USER_INFO_STRUCT nobody = {};
        NP_Send(nobody, kNoteKindF5, m_session->AccountNumber(), g_hMainWnd);
    }
}

// Rounded corners; the frame outside the region is cut away.
void CBar::SetWindowRegion(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HRGN region = CreateRoundRectRgn(4, 4, client.right + 2, client.bottom + 8, 12, 12);
    if (region && !SetWindowRgn(window, region, TRUE)) DeleteObject(region);
}
