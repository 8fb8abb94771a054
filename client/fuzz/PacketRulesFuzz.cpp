// Any byte stream from the server, cut into frames as the socket library cuts it: the rules
// must neither crash nor read outside a payload, and every packet they act on must hold the
// record its handler then reads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "session/PacketRules.h"
#include "wire/Contacts.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

// How many payload bytes the handler of `action` reads.
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
        // A payload of its own exact size, so ASan sees any read past its end.
        std::vector<std::uint8_t> payload(frame.payload, frame.payload + frame.length);
        const PacketAction action = ClassifyPacket(frame.type, payload.data(), payload.size());
        const std::size_t record = RecordSize(action, payload.data());
        if (record > payload.size()) std::abort();
        std::vector<std::uint8_t> copy(record);
        if (record > 0) std::memcpy(copy.data(), payload.data(), record);
        data += frame.frameSize;
        size -= frame.frameSize;
    }
    return 0;
}
