#include "session/PacketRules.h"

#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

struct Rule {
    std::uint16_t type;
    PacketAction action;
    std::size_t least; // payload bytes that must have arrived
};

const Rule kRules[] = {
    {PKT_LOGIN_FAILED, PacketAction::LoginFailed, 0},
    {PKT_LOGIN_OK, PacketAction::LoginOk, 0},
    {PKT_IP_INFO, PacketAction::IpInfo, 0},
    {PKT_VERSION_OK, PacketAction::VersionOk, 0},
    {PKT_VERSION_OLD, PacketAction::VersionOld, 0},
    {PKT_SERVER_MESSAGE, PacketAction::ServerMessage, 0},
    {PKT_INFO_RESULT, PacketAction::InfoResult, 0},
    {PKT_NEW_EVENT, PacketAction::NewEvent, 0},
    // The scanner is handed the bytes that arrived, not the zero-filled payload.
    {PKT_GAME_SERVERS, PacketAction::GameServers, sizeof(GameServersHead)},
};

} // namespace

PacketAction ClassifyPacket(std::uint16_t type, const std::uint8_t* payload, std::size_t length)
{
    if (!payload) length = 0;
    if (type >= PKT_SIGNON_FIRST && type <= PKT_SIGNON_LAST) return PacketAction::SignOn;
    for (const Rule& rule : kRules) {
        if (rule.type != type) continue;
        if (length < rule.least) return PacketAction::Ignore;
        if (rule.action != PacketAction::NewEvent) return rule.action;
        // An event longer than the client's event record cannot be well-formed: dropped
        // whole rather than cut. A length field cut short reads below 256 (its missing bytes
        // are zero) and always fits.
        const std::size_t at = offsetof(EventHead, length);
        const std::size_t data = length >= at + 2 ? kvxwire::ReadU16(payload + at) : 0;
        return data <= kMaxEventData ? rule.action : PacketAction::Ignore;
    }
    return PacketAction::Ignore;
}
