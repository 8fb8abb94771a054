#include "support/TrayTip.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "support/Wait.h"

namespace {

struct Search {
    DWORD shellPid;
    std::vector<HWND> tooltips;
};

BOOL CALLBACK CollectTooltips(HWND window, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid == search->shellPid && lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0) search->tooltips.push_back(window);
    return TRUE;
}

// The first tool's text of a tooltip window in another process: the record and the text
// buffer must live in that process for the control to fill them.
std::string ToolText(HANDLE process, HWND tooltip)
{
    const SIZE_T textSize = 512;
    BYTE* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, sizeof(TOOLINFOW) + textSize,
                                                      MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote) return std::string();
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.lpszText = reinterpret_cast<LPWSTR>(remote + sizeof info);
    std::string text;
    WCHAR wide[256] = {};
    if (WriteProcessMemory(process, remote, &info, sizeof info, nullptr) &&
        SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process, remote + sizeof info, wide, sizeof wide - sizeof(WCHAR), nullptr)) {
        char narrow[256] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
        text = narrow;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

} // namespace

std::vector<std::string> TrayTips()
{
    std::vector<std::string> tips;
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    if (!tray) tray = FindWindowA("Shell_TrayWnd", nullptr);
    if (!tray) return tips;
    Search search = {0, {}};
    GetWindowThreadProcessId(tray, &search.shellPid);
    EnumWindows(CollectTooltips, reinterpret_cast<LPARAM>(&search));
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, search.shellPid);
    if (!process) return tips;
    for (HWND tooltip : search.tooltips) {
        const std::string text = ToolText(process, tooltip);
        if (!text.empty()) tips.push_back(text);
    }
    CloseHandle(process);
    return tips;
}

HWND FirstTrayIcon()
{
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    return tray ? FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr) : nullptr;
}

bool TrayTipShows(const std::string& tip, DWORD timeoutMs)
{
    return WaitFor([&] {
        const std::vector<std::string> tips = TrayTips();
        return std::find(tips.begin(), tips.end(), tip) != tips.end();
    }, timeoutMs);
}
