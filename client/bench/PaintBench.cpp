// Prints the cost of one full paint of a 199 x 600 bar (skin, texts, icons, contact list)
// beside one BitBlt of the same area, under the same Wine. Run from a copy of the
// runnable folder, so the real skins and libraries are used (a line starting "TABLE|"
// feeds the summary):
//   scripts/bench.sh
#include <windows.h>

#include <stdio.h>

#include "app/Globals.h"
#include "app/Settings.h"
#include "bar/Bar.h"
#include "skin/Painter.h"

namespace {

const int kWidth = 199, kHeight = 600, kRounds = 400;

CBar* g_bar = nullptr;

LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return g_bar ? g_bar->WindowProc(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

double NowUs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1e6 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Step> double MicrosecondsEach(Step step)
{
    for (int i = 0; i < kRounds / 10; ++i) step(); // warm caches and the window surface
    const double start = NowUs();
    for (int i = 0; i < kRounds; ++i) step();
    return (NowUs() - start) / kRounds;
}

} // namespace

int main()
{
    g_hInstance = GetModuleHandleA(nullptr);
    g_Settings = new CSettings("KVX");
    g_bar = new CBar;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BarProc;
    wc.lpszClassName = "KVX1";
    RegisterClassA(&wc);
    g_hMainWnd = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 40, 40, kWidth, kHeight,
                                 nullptr, nullptr, g_hInstance, nullptr);
    if (!g_hMainWnd) return 1;
    printf("skin %s, %d x %d client\n", g_bar->Painter()->Skin().Name(), kWidth, kHeight);

    const double paint = MicrosecondsEach([] {
        RedrawWindow(g_hMainWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        GdiFlush();
    });

    HDC window = GetDC(g_hMainWnd);
    HDC memory = CreateCompatibleDC(window);
    HBITMAP picture = CreateCompatibleBitmap(window, kWidth, kHeight);
    HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, kWidth, kHeight, window, 0, 0, SRCCOPY);
    const double blit = MicrosecondsEach([&] {
        BitBlt(window, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
        GdiFlush();
    });
    SelectObject(memory, previous);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(g_hMainWnd, window);

    printf("full paint of the bar   %8.1f us\n", paint);
    printf("one BitBlt, same area   %8.1f us\n", blit);
    printf("ratio                   %8.1f x\n", paint / blit);
    printf("TABLE|full paint of a %d x %d bar|%.1f us|%.1f us (one BitBlt)\n", kWidth, kHeight, paint, blit);

    DestroyWindow(g_hMainWnd);
    delete g_bar;
    delete g_Settings;
    return 0;
}
