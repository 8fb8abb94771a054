// The process's one ping listener and one event listener behind the C interface.
#include "sockio.h"

#include "EventServer.h"
#include "PingServer.h"

namespace {
PingServer g_ping;
EventServer g_events;
} // namespace

int SK_StartPingServer(HWND) { return g_ping.Start(); }
void SK_StopPingServer(void) { g_ping.Stop(); }
int SK_StartEventServer(HWND bar) { return g_events.Start(bar); }
void SK_StopEventServer(void) { g_events.Stop(); }
