#include "support/TrayTip.h"

#include <commctrl.h>

#include "support/Wait.h"

namespace {

// The first tool's text of a tooltip window in another process: the record and the text
// buffer must live in that process for the control to fill them.
std::string ToolText(HANDLE process, HWND tooltip)
{
    BYTE* remote = static_cast<BYTE*>(
        VirtualAllocEx(process, nullptr, sizeof(TOOLINFOW) + 512, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.lpszText = reinterpret_cast<LPWSTR>(remote + sizeof info);
    WCHAR wide[256] = {};
    char narrow[256] = "";
    if (remote && WriteProcessMemory(process, remote, &info, sizeof info, nullptr) &&
        SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process, remote + sizeof info, wide, sizeof wide - sizeof(WCHAR), nullptr))
        WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return narrow;
}

} // namespace

bool TrayTipShows(const std::string& tip, DWORD timeoutMs)
{
    return WaitFor(
        [&] {
            DWORD shell = 0;
            GetWindowThreadProcessId(FindWindowA("__winex11_standalone_tray", nullptr), &shell);
            HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, shell);
            bool shown = false;
            for (HWND w = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); process && w && !shown;
                 w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                shown = owner == shell && ToolText(process, w) == tip;
            }
            if (process) CloseHandle(process);
            return shown;
        },
        timeoutMs);
}

HWND FirstTrayIcon()
{
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    return tray ? FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr) : nullptr;
}
