#include "BarFixture.h"

#include "ads/AdInfo.h"
#include "app/Settings.h"
#include "records/Bar.h"

namespace {
CBar* g_bar = nullptr; // the window procedure's way to the bar under test
} // namespace

BarFixture::BarFixture()
{
    g_hInstance = GetModuleHandleA(nullptr);
    CreateDirectoryA("skins", nullptr);
    Recorder::Get().Reset();
}

void BarFixture::Skin(const std::string& name)
{
    folder.Write("skins\\" + name + "-T.bmp", SolidBmp(199, 150, kTopColour));
    folder.Write("skins\\" + name + "-M.bmp", SolidBmp(199, 10, kTopColour));
    folder.Write("skins\\" + name + "-B.bmp", SolidBmp(199, 60, kBottomColour));
}

CBar& BarFixture::MakeBar(const std::string& ini)
{
    folder.Write("KVX.ini", "[Server]\r\n1=127.0.0.1\r\n" + ini);
    return MakeBarFromIni();
}

CBar& BarFixture::MakeBarFromIni()
{
    g_Settings = new CSettings("KVX");
    return *(bar = g_bar = new CBar);
}

void BarFixture::DeleteBar()
{
    if (g_hMainWnd) DestroyWindow(g_hMainWnd);
    g_hMainWnd = nullptr;
    delete g_bar;
    bar = g_bar = nullptr;
    delete g_Settings;
    g_Settings = nullptr;
}

std::string BarFixture::Setting(const std::string& key) const
{
    const std::string ini = folder.Read("KVX.ini");
    const size_t at = ini.find("\n" + key + "=");
    return at == std::string::npos
               ? ""
               : ini.substr(at + key.size() + 2, ini.find_first_of("\r\n", at + 1) - at - key.size() - 2);
}

void BarFixture::Show(int height, int x, int y)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return g_bar ? g_bar->WindowProc(window, message, wParam, lParam)
                     : DefWindowProcA(window, message, wParam, lParam);
    };
    wc.lpszClassName = "KVXBarFixture";
    RegisterClassA(&wc);
    g_hMainWnd = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, x, y, BAR_WIDTH, height,
                                 nullptr, nullptr, nullptr, nullptr);
    RedrawWindow(g_hMainWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void BarFixture::Create(int height, int x, int y)
{
    Show(height, x, y);
    bar->OnCreate();
}

bool BarFixture::Pump(DWORD ms)
{
    for (const DWORD end = GetTickCount() + ms; GetTickCount() < end; Sleep(5)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return false;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

std::string BarFixture::AdInfoBytes(const char* text, const char* url)
{
    AD_INFO info = {};
    lstrcpynA(info.text, text, sizeof info.text);
    lstrcpynA(info.url, url, sizeof info.url);
    return std::string(reinterpret_cast<const char*>(&info), sizeof info);
}
