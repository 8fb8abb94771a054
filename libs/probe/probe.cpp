#include "probe/probe.h"

#include "ScannerWindow.h"
#include "records/Guard.h"
#include "wire/Status.h"

void PR_StartSpy(HWND bar, int game)
{
    if (game == STATUS_QUAKE2) Guard([&] { CScannerWindow::Open(bar); });
}

void PR_ServerList(const void* payload, int length)
{
    Guard([&] { CScannerWindow::TakeServerList(payload, length); });
}
