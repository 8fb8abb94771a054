// Real pointer input, synthesised with SendInput: windows get the messages the mouse would
// give them and GetAsyncKeyState sees the buttons, in this process or any other.
#ifndef KVX_TEST_INPUT_H
#define KVX_TEST_INPUT_H

#include <windows.h>

// Moves the pointer to the screen point (x, y).
void MoveTo(LONG x, LONG y);
// Moves the pointer to client point (x, y) of `window`.
void MoveTo(HWND window, LONG x, LONG y);
void LeftDown();
void LeftUp();
void RightDown();
void RightUp();

#endif
