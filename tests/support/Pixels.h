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

// A visible popup window whose WM_PAINT runs `paint` (which must validate the window,
// through BeginPaint or CPainter::Begin).
class PaintWindow {
public:
    PaintWindow(int width, int height, std::function<void(HWND)> paint);
    ~PaintWindow();
    PaintWindow(const PaintWindow&) = delete;
    PaintWindow& operator=(const PaintWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Repaints the whole window now and reads the pixel at (x, y) of its client area.
    void Repaint() const;
    COLORREF At(int x, int y) const;
    // True when any pixel of `rect` has exactly `colour`.
    bool Shows(const RECT& rect, COLORREF colour) const;
    // Every pixel of `rect`, row by row.
    std::vector<COLORREF> Pixels(const RECT& rect) const;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::function<void(HWND)> m_paint;
};

#endif
