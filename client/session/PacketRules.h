// Which server packets the client acts on: each type it knows, and the least payload that
// holds the type's record. A shorter payload is a protocol error and the packet is ignored;
// a longer one is read up to its record. Portable (no Win32), so the rules are fuzzed
// natively.
#ifndef KVX_PACKET_RULES_H
#define KVX_PACKET_RULES_H

#include <cstddef>
#include <cstdint>

enum class PacketAction {
    Ignore,        // unknown, or too short for its record
    SignOn,        // the sign-up library's range, handed over whole
    LoginFailed,
    LoginOk,
    IpInfo,        // an IpInfoRecord
    VersionOk,
    VersionOld,
    ServerMessage, // text, cut at the payload's end when it has no NUL of its own
    InfoResult,    // a whole ProfileList
    NewEvent,      // an EventHead whose data, at most kMaxEventData bytes, lies inside the payload
    GameServers,   // a GameServersHead; the scanner counts the records that follow itself
};

// `length` is how many bytes of `payload` the packet holds.
PacketAction ClassifyPacket(std::uint16_t type, const std::uint8_t* payload, std::size_t length);

#endif
