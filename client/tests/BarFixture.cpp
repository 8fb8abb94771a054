#include "BarFixture.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "doubles/Recorder.h"
#include "support/Pixels.h"

namespace {

CBar* g_bar = nullptr; // the window procedure's way to the bar under test

LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return g_bar ? g_bar->WindowProc(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

BarFixture::BarFixture()
{
    g_hInstance = GetModuleHandleA(nullptr);
    CreateDirectoryA("skins", nullptr);
    Recorder::Get().Reset();
}

BarFixture::~BarFixture() { DeleteBar(); }

void BarFixture::Skin(const std::string& name, int bottomHeight)
{
    folder.Write("skins\\" + name + "-T.bmp", SolidBmp(199, 150, kTopColour));
    folder.Write("skins\\" + name + "-M.bmp", SolidBmp(199, 10, kTopColour));
    folder.Write("skins\\" + name + "-B.bmp", SolidBmp(199, bottomHeight, kBottomColour));
}

CBar& BarFixture::MakeBar(const std::string& ini)
{
    folder.Write("KVX.ini", "[Server]\r\n1=127.0.0.1\r\n" + ini);
    return MakeBarFromIni();
}

CBar& BarFixture::MakeBarFromIni()
{
    g_Settings = new CSettings("KVX");
    bar = g_bar = new CBar;
    return *bar;
}

void BarFixture::DeleteBar()
{
    // As the application ends: the window goes first, then the bar.
    if (g_hMainWnd) DestroyWindow(g_hMainWnd);
    g_hMainWnd = nullptr;
    delete g_bar;
    bar = g_bar = nullptr;
    delete g_Settings;
    g_Settings = nullptr;
}

std::string BarFixture::StoredSkin()
{
    const std::string ini = folder.Read("KVX.ini");
    const size_t at = ini.find("SkinM=");
    return at == std::string::npos ? "" : ini.substr(at + 6, ini.find_first_of("\r\n", at) - at - 6);
}

void BarFixture::Show(int height, int x, int y)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BarProc;
    wc.lpszClassName = "KVXBarFixture";
    RegisterClassA(&wc);
    g_hMainWnd = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, x, y, 199, height,
                                 nullptr, nullptr, nullptr, nullptr);
    RedrawWindow(g_hMainWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void BarFixture::Create(int height, int x, int y)
{
    Show(height, x, y);
    bar->OnCreate();
}

COLORREF BarFixture::At(int x, int y) const
{
    HDC dc = GetDC(g_hMainWnd);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(g_hMainWnd, dc);
    return colour;
}

bool BarFixture::Shows(const RECT& rect, COLORREF colour) const
{
    for (LONG y = rect.top; y < rect.bottom; ++y)
        for (LONG x = rect.left; x < rect.right; ++x)
            if (At(x, y) == colour) return true;
    return false;
}

bool BarFixture::Pump(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return false;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
    return true;
}
