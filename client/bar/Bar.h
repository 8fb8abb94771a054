// The bar window object: owns what makes up the bar and receives every message of its
// window through WindowProc, a table that hands each message to a named handler.
#ifndef KVX_BAR_H
#define KVX_BAR_H

#include <windows.h>

class CBar {
public:
    CBar();
    CBar(const CBar&) = delete;
    CBar& operator=(const CBar&) = delete;
    virtual ~CBar();

    // Completes the bar once its window exists and is shown.
    bool OnCreate();
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WORD DockEdge() const { return m_dockEdge; }
    void SetDockEdge(WORD edge) { m_dockEdge = edge; }
    // The window's screen rectangle as last seen; false before the window had one.
    bool LastWindowRect(RECT* rect) const;

private:
    typedef LRESULT (CBar::*Handler)(HWND, WPARAM, LPARAM);
    struct Route {
        UINT message;
        Handler handler;
    };
    static const Route kRoutes[];

    LRESULT OnSizeMessage(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseMessage(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnPaintMessage(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcPaintMessage(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDownMessage(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnPositionChanged(HWND window, WPARAM wParam, LPARAM lParam);

    void OnKeyDown(WPARAM key);
    void SetWindowRegion(HWND window);

    WORD m_dockEdge = 0;
    RECT m_lastRect = {};
    bool m_hasRect = false;
};

#endif
