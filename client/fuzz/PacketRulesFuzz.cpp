// Any byte stream from the server, cut into frames as the socket library cuts it: the rules
// must neither crash nor read past the bytes that arrived, and every packet they act on must
// have its record inside the payload as the dispatcher hands it on (what arrived, then zeros
// to the payload's full size).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "records/kvxrecords.h"
#include "session/PacketRules.h"
#include "wire/Contacts.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const std::size_t kPayloadSize = sizeof(PACKET_DATA::payload);

// How many bytes of the handed-on payload the handler of `action` reads.
std::size_t RecordSize(PacketAction action, const std::uint8_t* payload)
{
    switch (action) {
    case PacketAction::IpInfo: return sizeof(IpInfoRecord);
    case PacketAction::InfoResult: return sizeof(ProfileList);
    case PacketAction::GameServers: return sizeof(GameServersHead);
    case PacketAction::NewEvent: {
        const std::size_t data = kvxwire::ReadU16(payload + offsetof(EventHead, length));
        if (data > kMaxEventData) std::abort();
        return kEventDataOffset + data;
    }
    default: return 0;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const kvxwire::FrameView frame = kvxwire::PeekFrame(data, size);
        if (frame.state != kvxwire::FrameState::Complete) return 0;
        // The bytes that arrived in a buffer of their own exact size, so ASan sees any read past them.
        std::vector<std::uint8_t> arrived(frame.payload, frame.payload + frame.length);
        const PacketAction action = ClassifyPacket(frame.type, arrived.data(), arrived.size());
        // The scanner reads only what arrived; every other handler reads the handed-on payload.
        if (action == PacketAction::GameServers && arrived.size() < sizeof(GameServersHead)) std::abort();
        std::vector<std::uint8_t> payload(kPayloadSize, 0);
        if (!arrived.empty()) std::memcpy(payload.data(), arrived.data(), arrived.size());
        const std::size_t record = RecordSize(action, payload.data());
        if (record > payload.size()) std::abort();
        std::vector<std::uint8_t> copy(record);
        if (record > 0) std::memcpy(copy.data(), payload.data(), record);
        data += frame.frameSize;
        size -= frame.frameSize;
    }
    return 0;
}
