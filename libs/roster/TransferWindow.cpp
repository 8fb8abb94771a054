#include "TransferWindow.h"

#include <commctrl.h>

#include <cstdio>

#include "records/WindowClass.h"
#include "records/WindowProc.h"

namespace {

const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const int kTextId = 101;

} // namespace

const char CTransferWindow::kClassName[] = "KVXTransfer";

HWND CTransferWindow::Open(const std::string& title)
{
    const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = ThisModule();
    if (!RegisterWindowClassOnce(instance, kClassName, &DefWindowProcA, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return nullptr;
    RECT size = {0, 0, 300, 64};
    AdjustWindowRect(&size, kStyle, FALSE);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  size.right - size.left, size.bottom - size.top, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    Child(window, "STATIC", 0, kTextId, 10, 8, 280, 16);
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 32, 280, 20, window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBarId)), instance, nullptr);
    SendMessageA(bar, PBM_SETRANGE32, 0, 1000);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void CTransferWindow::Show(HWND window, std::uint64_t done, std::uint64_t size, const std::string& who)
{
    if (!IsWindow(window)) return;
    const std::string line = who + ": " + Size(done) + " of " + Size(size);
    SetDlgItemTextA(window, kTextId, line.c_str());
    SendDlgItemMessageA(window, kBarId, PBM_SETPOS, size ? static_cast<WPARAM>(done * 1000 / size) : 1000, 0);
}

void CTransferWindow::Close(HWND window)
{
    if (IsWindow(window)) DestroyWindow(window);
}

std::string CTransferWindow::Size(std::uint64_t bytes)
{
    char text[40];
    if (bytes >= 1024 * 1024) std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024 * 1024));
    else if (bytes >= 1024) std::snprintf(text, sizeof text, "%llu KB", static_cast<unsigned long long>(bytes / 1024));
    else std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    return text;
}
