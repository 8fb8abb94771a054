#include "app/App.h"

#include <commctrl.h>
#include <objbase.h>
#include <winsock2.h>

#include "app/Globals.h"
#include "app/Reporter.h"
#include "app/Settings.h"
#include "bar/Bar.h"
#include "records/Bar.h"
#include "winkit/winkit.h"

LRESULT CALLBACK BarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CBar* bar = g_App ? g_App->Bar() : nullptr;
    if (!bar) return DefWindowProcA(window, message, wParam, lParam);
    return bar->WindowProc(window, message, wParam, lParam);
}

CApp::CApp() = default;

bool CApp::Init()
{
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));

    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = 0xFF;
    if (!InitCommonControlsEx(&controls))
        return CReporter::Error("InitCommonControlsEx() - Need a newer COMCTL32.DLL\n\nRe-install KVX.");

    m_richEdit = LoadLibraryA("RICHED32.DLL");
    if (!m_richEdit) return CReporter::Error("Could not load RICHED32.DLL.");

    m_settings.reset(new CSettings("KVX"));
    g_Settings = m_settings.get();
    // Every file of the client lives in the current folder; one whose path does not fit
    // the Windows path limit cannot hold them, so start-up stops here.
    if (!g_Settings->IsUsable())
        return CReporter::Error("The current folder's path is too long for KVX (at most %lu "
                                "characters).\n\nStart KVX from a shorter folder.",
                                static_cast<unsigned long>(CSettings::kDirectoryLimit));

    WK_Init();

    CreateDirectoryA("Ads", nullptr);
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Logs", nullptr);

    m_reporter.reset(new CReporter);
    g_Reporter = m_reporter.get();
    m_bar.reset(new CBar);
    return true;
}

bool CApp::CreateMainWindow()
{
    const LONG x = g_Settings->ReadInt("Window", "x");
    const LONG y = g_Settings->ReadInt("Window", "y");
    const LONG h = g_Settings->ReadInt("Window", "h");
    g_hMainWnd = WK_CreateMain("KVX1", BarWindowProc, x, y, BAR_WIDTH, h, g_hInstance);
    if (!g_hMainWnd) return CReporter::Error("Could not create the KVX window.");
    ShowWindow(g_hMainWnd, SW_SHOW);
    return true;
}

void CApp::RestoreDockAndCreate()
{
    const LONG dock = g_Settings->ReadInt("Window", "Dock");
    if (dock > 0) m_bar->SetDockEdge(static_cast<WORD>(dock));
    m_bar->OnCreate();
}

void CApp::SavePlacement()
{
    // Default handling of WM_CLOSE may have destroyed the window already; the bar then
    // still knows the last rectangle it had.
    RECT rc;
    if (!m_bar->LastWindowRect(&rc)) return;
    g_Settings->WriteInt("Window", "x", rc.left);
    g_Settings->WriteInt("Window", "y", rc.top);
    if (m_bar->DockEdge() == 0) g_Settings->WriteInt("Window", "h", rc.bottom - rc.top);
    g_Settings->WriteInt("Window", "Dock", m_bar->DockEdge());
}

CApp::~CApp()
{
    if (g_hMainWnd && IsWindow(g_hMainWnd)) DestroyWindow(g_hMainWnd);
    g_hMainWnd = nullptr;
    // In this order: the bar saves its skin and the session its goodbye through the
    // settings, and either may report; the settings go last of the objects.
    m_bar.reset();
    m_reporter.reset();
    g_Reporter = nullptr;
    m_settings.reset();
    g_Settings = nullptr;
    WSACleanup();
    if (m_richEdit) FreeLibrary(m_richEdit);
    if (m_comStarted) CoUninitialize();
}
