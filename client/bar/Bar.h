// The bar window object: owns what makes up the bar and receives every message of its
// window through WindowProc, a table that hands each message to a named handler.
#ifndef KVX_BAR_H
#define KVX_BAR_H

#include <windows.h>

#include <memory>
#include <vector>

#include "records/WindowProc.h"

struct GAME_RECORD;
class CAdRotator;
class CAppBar;
class CHotRegion;
class CPainter;
class CSession;
class CTrayIcon;

class CBar {
public:
    // Runs before the window exists: makes the painter, chooses the skin ("SkinM", else
    // "HiDef"; "LoDef" when the stored one no longer loads) and makes the session (which
    // does not connect yet).
    CBar();
    CBar(const CBar&) = delete;
    CBar& operator=(const CBar&) = delete;
    // Saves the skin in use to "SkinM", deletes the session (offline first), the tray
    // icon and the painter.
    virtual ~CBar();

    // Completes the bar once its window exists and is shown: contact list, tray icon,
    // hot regions, session start, timers.
    bool OnCreate();
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CSession* Session() const { return m_session.get(); }
    CPainter* Painter() const { return m_painter.get(); }
    // A rectangle measured from the top of the skin's bottom piece, in client coordinates.
    RECT AnchorRect(RECT rect) const;
    bool IsActive() const { return m_active; }
    WORD DockEdge() const { return m_dockEdge; }
    // The saved edge, taken at start-up before the bar docks there (only BAR_DOCK_LEFT or
    // BAR_DOCK_RIGHT count; anything else means floating).
    void SetDockEdge(WORD edge);
    // The window's screen rectangle as last seen; false before the window had one.
    bool LastWindowRect(RECT* rect) const;

    // WM_COPYDATA tag of a game report from another process.
    static const ULONG_PTR kGameReport = 1000;

private:
    static const Route<CBar> kRoutes[];

    // Window messages.
    LRESULT OnSizeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnActivateMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFocusMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocusMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPaintMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetMinMaxInfoMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnShowWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMeasureItemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyDataMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcPaintMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDownMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommandMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnTimerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMoveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcMouseMoveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnButtonDownMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonUpMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnRButtonUpMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDblClkMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryNewPaletteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPaletteChangedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPositionChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Private messages (BarMessages.cpp).
    LRESULT OnTrayNotifyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnShowMessageMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnStatusChangedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnConnectResultMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryStatusMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryAccountMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnQuerySocketMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnLibraryRequestMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnJoinGameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryGameRecordMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnSocketEventMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void OnKeyDown(WPARAM key);
    void SetActive(bool active);
    void ChooseSkin();
    void OnTimer(UINT_PTR id);
    void OnTrayNotify(LPARAM mouseMessage);
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);
    // Commands (BarCommands.cpp): hot regions send theirs with their rectangle, menu items
    // with lParam 0.
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void SetContactView(UINT id);

    // Docking (BarDocking.cpp).
    // Docks at edge 10 (left) or 20 (right) over the work area's full height, or undocks
    // with 0, leaving the window where it is.
    void SetDock(WORD edge);
    // A press: the focus and the hover first; on a hot region the held-button loop, else
    // the drag that follows the pointer and docks by where it is released. `centre` only
    // gives a floating bar its floating height back and centres it.
    void DragMove(LONG x, LONG y, bool centre);
    // Hiding frees the strip; showing docks at the edge the bar had when hidden.
    void OnShowWindow(bool shown);
    // A fixed width, a minimum height, and a docked bar's height held while not dragged.
    void OnGetMinMaxInfo(MINMAXINFO* info) const;

    // The pointer (BarMouse.cpp).
    void CreateRegions();
    // The first region in list order that is hovered or pressed, or null.
    CHotRegion* LitRegion() const;
    // Every region follows the client point (x, y), or the pointer for (0, 0); a bar
    // without the focus tracks (0, 0), which no region contains. Removes the balloon.
    void UpdateHover(LONG x, LONG y);
    void OnMouseMove(LPARAM position);
    // Scrolls the contact list once per pass while the left button stays down on a
    // scroll region.
    void RepeatScroll();
    void OnLButtonUp(LONG x, LONG y);
    void OnRButtonUp(LONG x, LONG y);
    // TIMER_BALLOON: a balloon once the pointer has rested over the focused bar for 500 ms.
    void UpdateBalloon();
    void CloseBalloon();

    // TIMER_GAME_CHECK: back to Online once a watched game's window has gone, after a grace time.
    void CheckRunningGame();
    void BlinkTrayEvent();
    void SetWindowRegion(HWND window);

    std::unique_ptr<CPainter> m_painter;
    std::unique_ptr<CSession> m_session;
    std::unique_ptr<CAdRotator> m_ads;
    std::unique_ptr<CTrayIcon> m_trayIcon; // g_TrayIcon while it lives
    bool m_active = false;
    WORD m_dockEdge = 0;
    std::unique_ptr<CAppBar> m_appBar; // while docked
    WORD m_rememberedEdge = 0;         // the edge when the bar was hidden
    LONG m_lastFloatingHeight = 400;   // until a press finds the bar floating
    // Tray blinking for a pending contact-list event.
    bool m_blinkPhase = false;
    bool m_trayRestored = false;
    char m_eventText[300] = {};
    RECT m_lastRect = {};
    bool m_hasRect = false;
    // Front first: the reverse of the order of creation.
    std::vector<std::unique_ptr<CHotRegion>> m_regions;
    WORD m_lastMoveX = 0;
    WORD m_lastMoveY = 0;
    DWORD m_lastActivity = 0;
    HWND m_balloon = nullptr;
    bool m_balloonShown = false;
};

#endif
