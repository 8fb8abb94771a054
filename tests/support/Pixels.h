// Test art and pixel probes: bitmap files written on the spot, and what a real window
// shows once it has painted.
#ifndef KVX_TEST_PIXELS_H
#define KVX_TEST_PIXELS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The bytes of a 24-bit BMP file of width x height in `colour`, with its first (top) row
// in `topRow`, so tiles can be told apart.
std::string SolidBmp(int width, int height, COLORREF colour, COLORREF topRow);
inline std::string SolidBmp(int width, int height, COLORREF colour) { return SolidBmp(width, height, colour, colour); }

// What a window's client area shows: one pixel, every pixel of `rect` row by row, and
// whether any pixel of `rect` has exactly `colour`.
COLORREF PixelAt(HWND window, int x, int y);
std::vector<COLORREF> Pixels(HWND window, const RECT& rect);
bool Shows(HWND window, const RECT& rect, COLORREF colour);

// A visible topmost popup window whose WM_PAINT runs `paint` (which must validate the
// window, through BeginPaint or CPainter::Begin); painted once at construction.
class PaintWindow {
public:
    PaintWindow(int width, int height, std::function<void(HWND)> paint);
    ~PaintWindow() { DestroyWindow(m_window); }
    PaintWindow(const PaintWindow&) = delete;
    PaintWindow& operator=(const PaintWindow&) = delete;

    HWND Handle() const { return m_window; }
    void Repaint() const { RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

private:
    HWND m_window = nullptr;
    std::function<void(HWND)> m_paint;
};

#endif
