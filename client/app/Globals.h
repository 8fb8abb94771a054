// The process-wide objects every part of the client reaches.
#ifndef KVX_GLOBALS_H
#define KVX_GLOBALS_H

#include <windows.h>

class CApp;
class CSettings;
class CReporter;
class CTrayIcon;

extern HINSTANCE g_hInstance; // set first by the entry point
extern HWND g_hMainWnd;       // the bar window, once created
extern CApp* g_App;           // deleting it runs the shutdown sequence
extern CSettings* g_Settings; // KVX.ini in the current folder
extern CReporter* g_Reporter; // message boxes and debug lines
extern CTrayIcon* g_TrayIcon; // the notification-area icon, made by the bar
extern bool g_bDragging;      // the bar is being dragged or a popup menu is open

#endif
