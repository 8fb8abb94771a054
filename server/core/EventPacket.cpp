#include "EventPacket.h"

#include <algorithm>
#include <cstring>

namespace kvxserver {

EventPacket::EventPacket(std::uint16_t kind, std::int32_t from, const void* data, std::size_t length)
{
    length = std::min(length, kMaxEventData);
    EventHead head{};
    head.kind = kind;
    head.length = static_cast<std::uint16_t>(length);
    head.fromAccount = from;
    std::memcpy(bytes_.data(), &head, sizeof head);
    if (length > 0) std::memcpy(bytes_.data() + kEventDataOffset, data, length);
    size_ = kEventDataOffset + length;
}

} // namespace kvxserver
