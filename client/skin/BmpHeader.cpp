#include "skin/BmpHeader.h"

#include <cstring>

namespace {

const std::uint16_t kBmpMagic = 0x4D42; // "BM"
const std::uint32_t kFileHeaderSize = 14;
const std::uint32_t kInfoHeaderSize = 40;
const std::uint32_t kLargestInfoHeader = 124; // BITMAPV5HEADER
const std::uint32_t kRgb = 0, kBitFields = 3;
const std::uint32_t kMaxColours = 256;

template <typename T> T Field(const std::uint8_t* head, std::size_t offset)
{
    T value;
    std::memcpy(&value, head + offset, sizeof value);
    return value;
}

bool KnownDepth(std::uint16_t bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

} // namespace

bool CBmpHeader::Check(const std::uint8_t* head, std::size_t headSize, std::uint64_t fileSize, BmpLayout* layout)
{
    if (!head || headSize < kHeadSize || fileSize < kHeadSize) return false;
    const std::uint32_t bitsOffset = Field<std::uint32_t>(head, 10);
    const std::uint32_t infoSize = Field<std::uint32_t>(head, 14);
    const std::int32_t width = Field<std::int32_t>(head, 18);
    const std::int64_t height = Field<std::int32_t>(head, 22);
    const std::uint16_t planes = Field<std::uint16_t>(head, 26);
    const std::uint16_t bits = Field<std::uint16_t>(head, 28);
    const std::uint32_t compression = Field<std::uint32_t>(head, 30);
    const std::uint32_t coloursUsed = Field<std::uint32_t>(head, 46);
    if (Field<std::uint16_t>(head, 0) != kBmpMagic || infoSize < kInfoHeaderSize || infoSize > kLargestInfoHeader)
        return false;
    const std::int64_t rows = height < 0 ? -height : height;
    if (width <= 0 || width > kSideLimit || rows == 0 || rows > kSideLimit || planes != 1 || !KnownDepth(bits))
        return false;
    if (compression != kRgb && !(compression == kBitFields && (bits == 16 || bits == 32))) return false;
    if (coloursUsed > kMaxColours) return false;

    // The masks of a bit-field bitmap follow a plain info header; the larger headers hold them.
    const std::uint64_t masks = compression == kBitFields && infoSize == kInfoHeaderSize ? 3 : 0;
    const std::uint64_t colours = coloursUsed != 0 ? coloursUsed : bits <= 8 ? (1u << bits) : 0;
    const std::uint64_t tableEnd = kFileHeaderSize + infoSize + 4 * (masks + colours);
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    const std::uint64_t bitsSize = stride * static_cast<std::uint64_t>(rows);
    if (tableEnd > fileSize || bitsOffset < tableEnd || bitsOffset > fileSize || bitsSize > fileSize - bitsOffset)
        return false;
    if (layout) *layout = {width, static_cast<std::int32_t>(rows), tableEnd, bitsOffset, bitsSize};
    return true;
}
