#include "Frame.h"

#include <cstring>

namespace kvxwire {

std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void WriteU16(std::uint8_t* p, std::uint16_t value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

void WriteU32(std::uint8_t* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

FrameView PeekFrame(const std::uint8_t* data, std::size_t size)
{
    FrameView view{FrameState::NeedMore, 0, 0, nullptr, 0};
    if (size < kHeaderSize) return view;
    view.type = ReadU16(data);
    view.length = ReadU16(data + 2);
    view.frameSize = kHeaderSize + view.length;
    if (view.length > kMaxPayload) {
        view.state = FrameState::Broken;
        return view;
    }
    if (size < view.frameSize) return view;
    view.state = FrameState::Complete;
    view.payload = data + kHeaderSize;
    return view;
}

std::size_t EncodeFrame(std::uint16_t type, const void* payload, std::size_t length, std::uint8_t* out,
                        std::size_t capacity)
{
    if (length > kMaxPayload || capacity < kHeaderSize + length) return 0;
    if (length > 0 && payload == nullptr) return 0;
    WriteU16(out, type);
    WriteU16(out + 2, static_cast<std::uint16_t>(length));
    if (length > 0) std::memcpy(out + kHeaderSize, payload, length);
    return kHeaderSize + length;
}

} // namespace kvxwire
