#include "support/Input.h"

namespace {

void Send(DWORD flags, LONG dx = 0, LONG dy = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.dx = dx;
    input.mi.dy = dy;
    SendInput(1, &input, sizeof input);
}

} // namespace

void MoveTo(LONG x, LONG y)
{
    // Absolute moves land exactly; relative ones go through the pointer's acceleration.
    const LONG width = GetSystemMetrics(SM_CXSCREEN);
    const LONG height = GetSystemMetrics(SM_CYSCREEN);
    Send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x * 65536 / width + 1, y * 65536 / height + 1);
}

void MoveTo(HWND window, LONG x, LONG y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    MoveTo(point.x, point.y);
}

void LeftDown() { Send(MOUSEEVENTF_LEFTDOWN); }
void LeftUp() { Send(MOUSEEVENTF_LEFTUP); }
void RightDown() { Send(MOUSEEVENTF_RIGHTDOWN); }
void RightUp() { Send(MOUSEEVENTF_RIGHTUP); }
