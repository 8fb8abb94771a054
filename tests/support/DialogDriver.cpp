#include "support/DialogDriver.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/MessageBoxes.h"

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

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string ItemText(HWND dialog, int id)
{
    char text[4096] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool ItemShows(HWND dialog, int id, const std::string& part)
{
    for (const DWORD end = GetTickCount() + 5000; GetTickCount() < end; Sleep(10))
        if (ItemText(dialog, id).find(part) != std::string::npos) return true;
    return false;
}
