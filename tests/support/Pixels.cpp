#include "support/Pixels.h"

#include <algorithm>

std::string SolidBmp(int width, int height, COLORREF colour, COLORREF topRow)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int row = 0; row < height; ++row) { // bottom-up: the last row stored is the top one
        const COLORREF c = row == height - 1 ? topRow : colour;
        for (int x = 0; x < width; ++x) bytes += {char(GetBValue(c)), char(GetGValue(c)), char(GetRValue(c))};
        bytes.append(static_cast<size_t>(stride - width * 3), '\0');
    }
    return bytes;
}

COLORREF PixelAt(HWND window, int x, int y) { return Pixels(window, {x, y, x + 1, y + 1})[0]; }

std::vector<COLORREF> Pixels(HWND window, const RECT& rect)
{
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(window);
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return pixels;
}

bool Shows(HWND window, const RECT& rect, COLORREF colour)
{
    const std::vector<COLORREF> pixels = Pixels(window, rect);
    return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
}

PaintWindow::PaintWindow(int width, int height, std::function<void(HWND)> paint) : m_paint(std::move(paint))
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        auto* self = reinterpret_cast<PaintWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_ERASEBKGND) return 1;
        if (message != WM_PAINT || !self) return DefWindowProcA(window, message, wParam, lParam);
        self->m_paint(window);
        return 0;
    };
    wc.lpszClassName = "KVXPaintTest";
    RegisterClassA(&wc);
    m_window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 20, 20, width, height,
                               nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    Repaint();
}
