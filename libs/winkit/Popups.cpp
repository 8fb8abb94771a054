// Balloons, information windows and menu frames of the bar.
#include "winkit.h"

void WK_PaintMenuNC(HDC) {}

HWND WK_ShowBalloon(const char*) { return nullptr; }

void WK_Info(const char*, const char*, HICON) {}
