#include "support/WindowDriver.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/Wait.h"

void DriveDialog(const char* caption, const std::function<void()>& modal, const std::function<void(HWND)>& driver)
{
    std::thread thread([&] {
        const HWND dialog = FindMessageBox(GetCurrentProcessId(), caption, 5000).window;
        EXPECT_TRUE(dialog != nullptr) << "no dialog '" << caption << "' appeared";
        if (!dialog) return;
        driver(dialog);
        if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    modal();
    thread.join();
}

std::string WindowText(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool ItemShows(HWND dialog, int id, const std::string& part)
{
    return WaitFor([&] { return WindowText(GetDlgItem(dialog, id)).find(part) != std::string::npos; }, 5000, 10);
}

HWND WaitForWindow(const char* cls, const char* title, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindWindowA(cls, title)) != nullptr && IsWindowVisible(found); }, timeoutMs, 10);
    return found;
}

void CloseWindows(const char* cls)
{
    while (HWND window = FindWindowA(cls, nullptr)) DestroyWindow(window);
}

std::vector<HWND> VisibleWindows(DWORD pid, const char* cls)
{
    std::vector<HWND> found;
    for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w; w = FindWindowExA(nullptr, w, cls, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) found.push_back(w);
    }
    return found;
}
