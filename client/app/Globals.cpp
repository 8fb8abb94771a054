#include "app/Globals.h"

HINSTANCE g_hInstance = nullptr;
HWND g_hMainWnd = nullptr;
CApp* g_App = nullptr;
CSettings* g_Settings = nullptr;
CReporter* g_Reporter = nullptr;
CTrayIcon* g_TrayIcon = nullptr;
bool g_bDragging = false;
