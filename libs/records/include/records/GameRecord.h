// The record of the game server being joined or the game being played, as other processes
// and the in-house libraries hand it to the bar. Always copied whole; the client reads only
// the address, the port and the first byte of info, and fills info and extra from Subspace.
#ifndef KVX_GAME_RECORD_H
#define KVX_GAME_RECORD_H

#include <stddef.h>
#include <stdint.h>

struct GAME_RECORD {
    uint32_t addr;           // game server's IPv4 address, network byte order
    int32_t port;            // game server's port
    char info[100];          // NUL-terminated; the record holds a game when info[0] is not 0
    char reserved1[100];     // carried along
    unsigned char extra[24]; // bytes read from a running Subspace
    char reserved2[88];      // carried along
};
static_assert(sizeof(GAME_RECORD) == 320, "GAME_RECORD is a 320-byte record");
static_assert(offsetof(GAME_RECORD, port) == 4, "port at byte 4");
static_assert(offsetof(GAME_RECORD, info) == 8, "info at byte 8");
static_assert(offsetof(GAME_RECORD, reserved1) == 108, "reserved bytes at 108");
static_assert(offsetof(GAME_RECORD, extra) == 208, "extra at byte 208");
static_assert(offsetof(GAME_RECORD, reserved2) == 232, "reserved bytes at 232");

#endif
