// Working the real windows of the code under test as a user would: modal dialogs from a
// second thread while the call that shows them runs its own loop on the test's thread (with
// the message-box helpers, which find, read and press them), and any window found by its class
// and caption and read by its text.
#ifndef KVX_TEST_WINDOW_DRIVER_H
#define KVX_TEST_WINDOW_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/MessageBoxes.h"

// Runs `modal` on this thread while `driver` works the visible dialog captioned `caption`
// from another; a dialog the driver leaves open is cancelled, so a failing test cannot hang.
void DriveDialog(const char* caption, const std::function<void()>& modal, const std::function<void(HWND)>& driver);

// The text of a window (of any length), and whether the text of control `id` of a dialog comes
// to contain `part` within 5 s. Buttons and short texts: PressButton and DialogItemText.
std::string WindowText(HWND window);
bool ItemShows(HWND dialog, int id, const std::string& part);

// The visible top-level windows of process `pid` and class `cls`, topmost first.
std::vector<HWND> VisibleWindows(DWORD pid, const char* cls);

// Destroys every top-level window of `cls` (all this thread's), as a test ends.
void CloseWindows(const char* cls);

// The first visible top-level window of `cls` and `title` (any title when null), waited for
// up to `timeoutMs` while this thread's messages are pumped; null when none came.
HWND WaitForWindow(const char* cls, const char* title, DWORD timeoutMs = 3000);

#endif
