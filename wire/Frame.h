// The KVX frame: how one packet travels over the TCP stream between client and server.
// Layout (all integers little-endian):
//   offset 0  uint16  packet type
//   offset 2  uint16  payload length L
//   offset 4  L bytes payload
// A whole frame never exceeds kMaxFrame bytes, the size of the client's receive buffer, so
// L is at most kMaxPayload. A header that claims more can never complete: the stream is
// broken and the receiver drops it. See PROTOCOL.md.
#ifndef KVX_WIRE_FRAME_H
#define KVX_WIRE_FRAME_H

#include <cstddef>
#include <cstdint>

namespace kvxwire {

constexpr std::size_t kHeaderSize = 4;
constexpr std::size_t kMaxFrame = 2048;
constexpr std::size_t kMaxPayload = kMaxFrame - kHeaderSize;

enum class FrameState {
    NeedMore, // the bytes so far are a valid beginning; wait for more
    Complete, // a whole frame is at the front
    Broken,   // the header claims a frame that can never fit
};

struct FrameView {
    FrameState state;
    std::uint16_t type;          // valid once the header is held
    std::uint16_t length;        // payload length; valid once the header is held
    const std::uint8_t* payload; // valid when Complete
    std::size_t frameSize;       // header + payload; valid once the header is held
};

// Looks at the front of a byte run and says whether a whole frame is there.
FrameView PeekFrame(const std::uint8_t* data, std::size_t size);

// Writes one frame into out. Returns the frame size, or 0 when the payload is longer than
// kMaxPayload or out is too small (nothing is written then).
std::size_t EncodeFrame(std::uint16_t type, const void* payload, std::size_t length, std::uint8_t* out,
                        std::size_t capacity);

std::uint16_t ReadU16(const std::uint8_t* p);
std::uint32_t ReadU32(const std::uint8_t* p);
void WriteU16(std::uint8_t* p, std::uint16_t value);
void WriteU32(std::uint8_t* p, std::uint32_t value);

} // namespace kvxwire

#endif
