// The second yardstick for the client's start time: a process that does only what any
// start-up of the bar must do before its own work begins (COM, the common controls, the
// rich-edit library, Winsock, the seven in-house DLLs, a notification-area icon) and then
// shows a window. The client's time above this floor is ours to shave.
//   floor_window.exe <folder of the in-house DLLs>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <winsock2.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char* const kLibraries[] = {"winkit.dll", "sockio.dll", "artres.dll", "notepost.dll",
                                  "roster.dll", "probe.dll",  "signon.dll"};
const UINT kTrayId = 1;

// Loaded for the process's life, as the bar keeps them; `loaded` holds them to be freed.
bool LoadLibraries(const std::string& folder, std::vector<HMODULE>& loaded)
{
    for (const char* name : kLibraries) {
        const std::string path = folder + "\\" + name;
        HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!library) return false;
        loaded.push_back(library);
    }
    return true;
}

NOTIFYICONDATAA TrayIcon(HWND window)
{
    NOTIFYICONDATAA icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = kTrayId;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpynA(icon.szTip, "floor", sizeof icon.szTip);
    return icon;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    if (FAILED(CoInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    std::vector<HMODULE> loaded;
    HMODULE richEdit = LoadLibraryA("RICHED32.DLL");
    if (!richEdit) return 1;
    loaded.push_back(richEdit);
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(1, 1), &wsa) != 0) return 1;
    std::string folder = commandLine;
    folder.erase(std::remove(folder.begin(), folder.end(), '"'), folder.end());
    if (!LoadLibraries(folder, loaded)) return 1;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "KVXFloorWindow";
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(0, wc.lpszClassName, "floor", WS_POPUP, 0, 0, 199, 400, nullptr, nullptr, instance, nullptr);
    NOTIFYICONDATAA icon = TrayIcon(window);
    Shell_NotifyIconA(NIM_ADD, &icon);
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    Shell_NotifyIconA(NIM_DELETE, &icon);
    for (HMODULE library : loaded) FreeLibrary(library);
    WSACleanup();
    CoUninitialize();
    return 0;
}
