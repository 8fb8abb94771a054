// The process's one ping listener and one event listener behind the C interface.
#include "sockio.h"

#include "EventServer.h"
#include "PingServer.h"
#include "records/Guard.h"

namespace {
PingServer g_ping;
EventServer g_events;
} // namespace

int SK_StartPingServer(HWND)
{
    return Guard(WSAENOBUFS, [&] { return g_ping.Start(); });
}
void SK_StopPingServer(void)
{
    Guard([&] { g_ping.Stop(); });
}
int SK_StartEventServer(HWND bar)
{
    return Guard(WSAENOBUFS, [&] { return g_events.Start(bar); });
}
void SK_StopEventServer(void)
{
    Guard([&] { g_events.Stop(); });
}
