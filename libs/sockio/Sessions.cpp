#include "Sessions.h"

#include <mutex>
#include <set>

#include "TlsSession.h"

namespace {

std::mutex g_lock;
SOCKET g_socket = INVALID_SOCKET;
std::unique_ptr<TlsSession> g_session;
std::set<SOCKET> g_claimed;

// Closed sockets are forgotten, so the set stays as small as the connections alive.
void ForgetClosed()
{
    for (auto at = g_claimed.begin(); at != g_claimed.end();) {
        int type = 0;
        int size = sizeof type;
        const bool open = getsockopt(*at, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &size) == 0;
        at = open ? std::next(at) : g_claimed.erase(at);
    }
}

} // namespace

namespace sessions {

void Claim(SOCKET s)
{
    std::lock_guard<std::mutex> hold(g_lock);
    ForgetClosed();
    g_claimed.insert(s);
}

void Install(SOCKET s, std::unique_ptr<TlsSession> session)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_socket = s;
    g_session = std::move(session);
}

void WithCurrent(const std::function<void(TlsSession*)>& use)
{
    std::lock_guard<std::mutex> hold(g_lock);
    use(g_session.get());
}

void WithSocket(SOCKET s, const std::function<void(Route, TlsSession*)>& use)
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (s == g_socket && g_session) use(Route::Secure, g_session.get());
    else use(g_claimed.count(s) ? Route::Refused : Route::Foreign, nullptr);
}

} // namespace sessions
