// Which server packets the client acts on. The dispatcher hands the libraries records from
// the whole 2048-byte payload, whose part that did not arrive it sets to zero: a packet
// shorter than its record is passed on all the same. Dropped are unknown types, an event
// whose data would not fit the client's event record, and a game-server list shorter than
// its head. Portable (no Win32), so the rules are fuzzed natively.
#ifndef KVX_PACKET_RULES_H
#define KVX_PACKET_RULES_H

#include <cstddef>
#include <cstdint>

enum class PacketAction {
    Ignore, // unknown, or not to be passed on (above)
    SignOn, // the sign-up library's range, handed over whole
    LoginFailed,
    LoginOk,
    IpInfo, // an IpInfoRecord, zero-filled
    VersionOk,
    VersionOld,
    ServerMessage, // text, cut at the payload's end when it has no NUL of its own
    InfoResult,    // a ProfileList, zero-filled
    NewEvent,      // an EventHead (zero-filled) and its data, at most kMaxEventData bytes
    GameServers,   // a GameServersHead; the scanner counts the records that follow itself
};

// `length` is how many bytes of `payload` arrived; nothing past them is read.
PacketAction ClassifyPacket(std::uint16_t type, const std::uint8_t* payload, std::size_t length);

#endif
