#include "probe.h"

#include "ScannerWindow.h"

// Nothing may escape into the caller: the client is not built to catch.
void PR_StartSpy(HWND bar, int game)
{
    if (game != CScannerWindow::kQuake2) return;
    try {
        CScannerWindow::Open(bar);
    } catch (...) {
    }
}

void PR_ServerList(const void* payload, int length)
{
    try {
        CScannerWindow::TakeServerList(payload, length);
    } catch (...) {
    }
}
