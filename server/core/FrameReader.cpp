#include "FrameReader.h"

#include <cstring>

namespace kvxserver {

bool FrameReader::ShouldCompact() const { return begin_ > 0 && buffer_.size() - end_ < kvxwire::kMaxFrame; }

std::uint8_t* FrameReader::Space()
{
    if (ShouldCompact()) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    return buffer_.data() + end_;
}

std::size_t FrameReader::SpaceSize() const
{
    return ShouldCompact() ? buffer_.size() - (end_ - begin_) : buffer_.size() - end_;
}

void FrameReader::Commit(std::size_t n) { end_ += n; }

kvxwire::FrameView FrameReader::Peek() const { return kvxwire::PeekFrame(buffer_.data() + begin_, end_ - begin_); }

void FrameReader::Consume(std::size_t n)
{
    begin_ += n;
    if (begin_ == end_) begin_ = end_ = 0;
}

} // namespace kvxserver
