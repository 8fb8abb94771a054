// One of the bar's buttons: a fixed rectangle over the skin art that follows the pointer
// (hovered with the button up, pressed with it down) and acts when the button is released
// over it. Its id is both its command and the string-table id of its balloon text.
#ifndef KVX_HOT_REGION_H
#define KVX_HOT_REGION_H

#include <windows.h>

class CHotRegion {
public:
    static const size_t kBalloonSize = 512; // characters, the terminating zero included

    // `anchor` is 0 for a rectangle measured from the client top, else the height of the
    // skin's bottom piece when the region was made: the rectangle's top and bottom are then
    // measured from the top of the bottom piece, wherever the client bottom is.
    CHotRegion(HWND window, const RECT& rect, UINT id, LONG anchor);
    CHotRegion(const CHotRegion&) = delete;
    CHotRegion& operator=(const CHotRegion&) = delete;
    virtual ~CHotRegion() = default;

    // Follows the pointer at client (x, y): inclusive edges, coordinates as unsigned 16-bit
    // values. Repaints the region when its look changes; returns the tracked state.
    bool Track(LONG x, LONG y);
    // The release over the region: hide, quit, or the region's command sent to the bar
    // with the current rectangle.
    void Activate();
    // A balloon with `text`, or with the region's string-table text when it is null.
    HWND ShowBalloon(const char* text) const;

    UINT Id() const { return m_id; }
    bool IsHovered() const { return m_hover; }
    bool IsPressed() const { return m_pressed; }
    bool IsLit() const { return m_hover || m_pressed; }
    const RECT& CurrentRect() const { return m_current; }

private:
    void Repaint() const;

    HWND m_window;
    RECT m_rect;
    RECT m_current;
    LONG m_anchor;
    UINT m_id;
    bool m_hover = false;
    bool m_pressed = false;
};

#endif
