// One PKT_NEW_EVENT payload: the EventHead, the four bytes the client skips, then the data.
#ifndef KVX_SERVER_EVENTPACKET_H
#define KVX_SERVER_EVENTPACKET_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "wire/Packets.h"

namespace kvxserver {

class EventPacket {
public:
    // data may be null when length is 0; more than kMaxEventData bytes are cut off.
    EventPacket(std::uint16_t kind, std::int32_t from, const void* data, std::size_t length);

    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return size_; }

private:
    std::array<std::uint8_t, kEventDataOffset + kMaxEventData> bytes_{};
    std::size_t size_;
};

} // namespace kvxserver

#endif
