// Process entry: one running copy per desktop, then start-up, the message loop, shutdown.
#include <windows.h>

#include <memory>

#include "app/App.h"
#include "app/Globals.h"
#include "winkit/winkit.h"

namespace {

// Exit code of a start-up that could not complete (reported to the user already).
const int kStartupFailed = 1;

bool ActivateRunningInstance()
{
    HWND bar = FindWindowA("KVX1", nullptr);
    if (!bar) return false;
    ShowWindow(bar, SW_SHOW);
    return SetForegroundWindow(bar) != FALSE;
}

int RunApplication()
{
    std::unique_ptr<CApp> app(new CApp);
    g_App = app.get();
    int exitCode = kStartupFailed;
    if (app->Init() && app->CreateMainWindow()) {
        app->RestoreDockAndCreate();
        exitCode = WK_MSGLoop();
        app->SavePlacement();
    }
    // The shutdown sequence; the bar's window procedure still finds the application in it.
    app.reset();
    g_App = nullptr;
    return exitCode;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "KVX1");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (!ActivateRunningInstance())
            MessageBoxA(nullptr, "KVX is already loaded but can't find window to set active.", "KVX Startup Error",
                        MB_OK | MB_ICONSTOP);
        if (mutex) CloseHandle(mutex);
        return 0;
    }
    if (!mutex) {
        MessageBoxA(nullptr, "Error On Startup", "KVX Startup Error", MB_OK | MB_ICONSTOP);
        return 0;
    }

    g_hInstance = instance;
    const int exitCode = RunApplication();
    CloseHandle(mutex);
    return exitCode;
}
