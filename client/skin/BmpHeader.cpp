#include "skin/BmpHeader.h"

#include <algorithm>
#include <cstring>

namespace {

const std::uint16_t kBmpMagic = 0x4D42; // "BM"
const std::uint64_t kFileHeaderSize = 14;
const std::uint32_t kCoreHeaderSize = 12, kInfoHeaderSize = 40, kV4HeaderSize = 108, kV5HeaderSize = 124;
const std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
const std::uint32_t kMaxColours = 256; // the loader reads no larger colour table

template <typename T> T Field(const std::uint8_t* file, std::size_t offset)
{
    T value;
    std::memcpy(&value, file + offset, sizeof value);
    return value;
}

bool KnownDepth(std::uint16_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

struct Header {
    std::int64_t width;
    std::int64_t height; // negative: top-down rows
    std::uint16_t planes;
    std::uint16_t bits;
    std::uint32_t compression;
    std::uint32_t imageSize;
    std::uint64_t tableEnd;
};

bool ReadHeader(const std::uint8_t* file, std::uint64_t size, Header& h)
{
    if (size < kFileHeaderSize + 4 || Field<std::uint16_t>(file, 0) != kBmpMagic) return false;
    const std::uint32_t infoSize = Field<std::uint32_t>(file, kFileHeaderSize);
    if (size < kFileHeaderSize + infoSize) return false;
    std::uint64_t colours = 0, entrySize = 4, masks = 0;
    if (infoSize == kCoreHeaderSize) {
        h = {Field<std::uint16_t>(file, 18),
             Field<std::uint16_t>(file, 20),
             Field<std::uint16_t>(file, 22),
             Field<std::uint16_t>(file, 24),
             kRgb,
             0,
             0};
        colours = h.bits <= 8 ? 1u << h.bits : 0;
        entrySize = 3;
    } else if (infoSize == kInfoHeaderSize || infoSize == kV4HeaderSize || infoSize == kV5HeaderSize) {
        h = {Field<std::int32_t>(file, 18),
             Field<std::int32_t>(file, 22),
             Field<std::uint16_t>(file, 26),
             Field<std::uint16_t>(file, 28),
             Field<std::uint32_t>(file, 30),
             Field<std::uint32_t>(file, 34),
             0};
        const std::uint32_t used = Field<std::uint32_t>(file, 46);
        colours = used != 0 ? std::min(used, kMaxColours) : h.bits <= 8 ? 1u << h.bits : 0;
        // The masks of a bit-field bitmap follow a plain info header; the larger headers hold them.
        masks = h.compression == kBitFields && infoSize == kInfoHeaderSize ? 3 : 0;
    } else {
        return false;
    }
    if (h.width <= 0 || h.height == 0 || h.planes != 1 || !KnownDepth(h.bits)) return false;
    h.tableEnd = kFileHeaderSize + infoSize + 4 * masks + entrySize * colours;
    return true;
}

// How far the run-length decoder reads into `in`, of which `available` bytes lie in the file:
// it takes two-byte codes until the end-of-bitmap code, a move past the last row, or the
// stream's stated size, and copies literal runs clipped at the right edge. False when it would
// read past the file.
bool RunLengthExtent(const std::uint8_t* in, std::uint64_t available, const Header& h, std::uint64_t& extent)
{
    extent = 0;
    const auto reach = [&](std::uint64_t end) {
        extent = std::max(extent, end);
        return end <= available;
    };
    const std::uint32_t size = h.imageSize;
    std::uint32_t i = 0;
    std::int64_t x = 0, y = h.height - 1;
    while (i < size - 1) {
        if (!reach(std::uint64_t{i} + 2)) return false;
        const std::uint8_t count = in[i], code = in[i + 1];
        i += 2;
        if (count != 0) {
            x += std::min<std::int64_t>(count, h.width - x);
        } else if (code == 0) { // end of line
            x = 0;
            if (--y < 0) break;
        } else if (code == 1) { // end of bitmap
            break;
        } else if (code == 2) { // move right and up
            if (i >= size - 1) break;
            if (!reach(std::uint64_t{i} + 2)) return false;
            x = std::min<std::int64_t>(x + in[i], h.width);
            y -= in[i + 1];
            if (y < 0) break;
            i += 2;
        } else { // `code` pixels follow as they are, padded to a whole word
            const std::uint8_t bytes = static_cast<std::uint8_t>((code * h.bits + 7) / 8);
            if (bytes > size - i) break;
            const std::int64_t pixels = std::min<std::int64_t>(code, h.width - x);
            if (pixels > 0 && !reach(i + static_cast<std::uint64_t>(h.bits == 8 ? pixels : (pixels + 1) / 2)))
                return false;
            x += pixels;
            i += static_cast<std::uint8_t>((bytes + 1) & ~1); // the decoder keeps the step in a byte
        }
    }
    return true;
}

} // namespace

bool CBmpHeader::Check(const std::uint8_t* file, std::uint64_t size, BmpLayout* layout)
{
    Header h;
    if (!file || !ReadHeader(file, size, h) || h.tableEnd >= size) return false;
    // An offset of 0 puts the rows right after the table; one inside the file header would
    // send the loader below the file's start.
    const std::uint32_t offset = Field<std::uint32_t>(file, 10);
    if (offset != 0 && offset < kFileHeaderSize) return false;
    const std::uint64_t bitsOffset = offset != 0 ? offset : h.tableEnd;
    const std::uint64_t available = bitsOffset <= size ? size - bitsOffset : 0;
    const std::uint64_t rows = static_cast<std::uint64_t>(h.height < 0 ? -h.height : h.height);
    std::uint64_t bitsSize = 0;
    if (h.compression == kRgb || (h.compression == kBitFields && (h.bits == 16 || h.bits == 32))) {
        const std::uint64_t stride = (static_cast<std::uint64_t>(h.width) * h.bits + 31) / 32 * 4;
        if (rows > available / stride) return false;
        bitsSize = stride * rows;
    } else if (((h.compression == kRle8 && h.bits == 8) || (h.compression == kRle4 && h.bits == 4)) && h.height > 0 &&
               h.imageSize != 0) {
        if (!RunLengthExtent(file + std::min(bitsOffset, size), available, h, bitsSize)) return false;
    } // any other compression is not decoded: no row is read
    if (layout) *layout = {h.width, static_cast<std::int64_t>(rows), h.tableEnd, bitsOffset, bitsSize};
    return true;
}
