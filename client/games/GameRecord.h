// The record of the game server being joined or the game being played, as other processes
// and the in-house libraries hand it to the bar.
#ifndef KVX_GAME_RECORD_H
#define KVX_GAME_RECORD_H

#include <stddef.h>
#include <stdint.h>

struct GAME_RECORD {
    uint32_t addr;   // game server's IPv4 address, network byte order
    int32_t port;    // game server's port
    char info[312];  // first byte not 0 when the record holds a game
};
static_assert(sizeof(GAME_RECORD) == 320, "GAME_RECORD is a 320-byte record");
static_assert(offsetof(GAME_RECORD, port) == 4, "port at byte 4");
static_assert(offsetof(GAME_RECORD, info) == 8, "info at byte 8");

#endif
