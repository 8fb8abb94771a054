// The user's presence status codes, as the client sets them, the libraries show them and the
// server passes them on. Fixed values: every code from 300 counts as logged in and from 600
// as playing a game, and comparisons rely on that order.
#ifndef KVX_WIRE_STATUS_H
#define KVX_WIRE_STATUS_H

#include <cstdint>

enum StatusCode : std::uint16_t {
    STATUS_OFFLINE = 100,
    STATUS_CONNECTING = 200,
    STATUS_ONLINE = 300,
    STATUS_AWAY = 400,
    STATUS_NA = 500,
    STATUS_QUAKE2 = 600,
    STATUS_QUAKE = 605,
    STATUS_UNREAL = 610,
    STATUS_SUBSPACE = 615,
    STATUS_TANARUS = 620,
    STATUS_FIRETEAM = 630,
};

#endif
