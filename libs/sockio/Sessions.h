// The TLS sessions of the connections this library made. The client reads one server
// connection through SK_Parse, which is not told the socket: the session of the latest
// connection is the one its bytes belong to. Sends find theirs by socket. Every use holds
// the lock, so records are sealed and sent in the order their sequence numbers say.
#ifndef KVX_SOCKIO_SESSIONS_H
#define KVX_SOCKIO_SESSIONS_H

#include <winsock2.h>

#include <functional>
#include <memory>

class TlsSession;

namespace sessions {

// Marks `s` as a connection of this library from its creation on: nothing is ever sent on
// it but through its session.
void Claim(SOCKET s);
// Makes `session` the current one, for the claimed socket `s`; the one before is ended.
void Install(SOCKET s, std::unique_ptr<TlsSession> session);
// Runs `use` with the current session (null when no connection was ever made).
void WithCurrent(const std::function<void(TlsSession*)>& use);

// How a send on a socket goes: through its session, as it stands on a connection this
// library never made (its caller's own), or not at all (a connection of this library that
// has no session, or no longer the current one).
enum class Route { Secure, Foreign, Refused };
// Runs `use` with the route for socket `s` and, when Secure, its session.
void WithSocket(SOCKET s, const std::function<void(Route, TlsSession*)>& use);

} // namespace sessions

#endif
