// Balloons and menu frames of the bar, and the C entry of the information windows.
#include "winkit.h"

#include "InfoWindow.h"

void WK_PaintMenuNC(HDC) {}

HWND WK_ShowBalloon(const char*) { return nullptr; }

void WK_Info(const char* title, const char* text, HICON icon) { CInfoWindow::Show(title, text, icon); }
