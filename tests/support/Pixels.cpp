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
    std::vector<BYTE> pixels(info.biSizeImage);
    for (int row = 0; row < height; ++row) {
        // Rows are stored bottom-up: the last stored row is the top one.
        const COLORREF c = row == height - 1 ? topRow : colour;
        for (int x = 0; x < width; ++x) {
            BYTE* p = &pixels[static_cast<size_t>(row * stride + x * 3)];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    }
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(pixels.begin(), pixels.end());
    return bytes;
}

PaintWindow::PaintWindow(int width, int height, std::function<void(HWND)> paint) : m_paint(std::move(paint))
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "KVXPaintTest";
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    m_window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 20, 20, width, height,
                               nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    Repaint();
}

PaintWindow::~PaintWindow() { DestroyWindow(m_window); }

void PaintWindow::Repaint() const
{
    RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

COLORREF PaintWindow::At(int x, int y) const
{
    HDC dc = GetDC(m_window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(m_window, dc);
    return colour;
}

bool PaintWindow::Shows(const RECT& rect, COLORREF colour) const
{
    const std::vector<COLORREF> pixels = Pixels(rect);
    return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
}

std::vector<COLORREF> PaintWindow::Pixels(const RECT& rect) const
{
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(m_window);
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(m_window, dc);
    return pixels;
}

LRESULT CALLBACK PaintWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    PaintWindow* self = reinterpret_cast<PaintWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_PAINT && self) {
        self->m_paint(window);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcA(window, message, wParam, lParam);
}
