// The receive side of one connection: bytes arrive at the back, whole frames are taken from
// the front. Twice the largest frame is held, so a full frame plus the start of the next
// always fit and a slow consumer never deadlocks the reader. The held bytes move to the
// front only when less than a whole frame fits behind them, not after every read.
#ifndef KVX_SERVER_FRAMEREADER_H
#define KVX_SERVER_FRAMEREADER_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "wire/Frame.h"

namespace kvxserver {

class FrameReader {
public:
    // Where the next received bytes go, and how many fit there.
    std::uint8_t* Space();
    std::size_t SpaceSize() const;
    // Says that n bytes were written at Space().
    void Commit(std::size_t n);

    // The frame at the front, if whole; its payload stays valid until Consume.
    kvxwire::FrameView Peek() const;
    void Consume(std::size_t n);

private:
    bool ShouldCompact() const;

    std::array<std::uint8_t, 2 * kvxwire::kMaxFrame> buffer_{};
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

} // namespace kvxserver

#endif
