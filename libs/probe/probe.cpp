#include "probe/probe.h"

#include "ScannerWindow.h"
#include "records/Guard.h"

void PR_StartSpy(HWND bar, int game)
{
    if (game == CScannerWindow::kQuake2) Guard([&] { CScannerWindow::Open(bar); });
}

void PR_ServerList(const void* payload, int length)
{
    Guard([&] { CScannerWindow::TakeServerList(payload, length); });
}
