// The bar's registration with the shell as an application desktop toolbar docked at one
// screen edge, for as long as the object lives. "Window"/"Dock" follows every change.
#ifndef KVX_APP_BAR_H
#define KVX_APP_BAR_H

#include <windows.h>
#include <shellapi.h>

class CAppBar {
public:
    // Registers `window` and stores `edge` (BAR_DOCK_LEFT or BAR_DOCK_RIGHT) as the dock setting.
    CAppBar(HWND window, WORD edge);
    CAppBar(const CAppBar&) = delete;
    CAppBar& operator=(const CAppBar&) = delete;
    // Gives the strip back and stores the edge field: 0 when the bar undocks (SetEdge(0)
    // first), the edge itself when it changes edges or the client shuts down docked.
    virtual ~CAppBar();

    // Tells the shell the edge and the window's present screen rectangle.
    void SetPos();
    void SetEdge(WORD edge) { m_edge = edge; }
    WORD Edge() const { return m_edge; }

private:
    APPBARDATA Data() const;

    HWND m_window;
    WORD m_edge;
};

#endif
