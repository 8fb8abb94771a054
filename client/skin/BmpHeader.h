// What a BMP file's headers claim, checked against the file's real length before the system
// loader is handed the file: the loader trusts the headers and would read past a short
// file's end. Portable (no Win32), so the same check is fuzzed natively.
#ifndef KVX_BMP_HEADER_H
#define KVX_BMP_HEADER_H

#include <cstddef>
#include <cstdint>

// Where a checked file keeps its parts, in bytes from its start.
struct BmpLayout {
    std::int32_t width;
    std::int32_t height;        // rows, whichever way they run
    std::uint64_t tableEnd;     // end of the info header, bit masks and colour table
    std::uint64_t bitsOffset;   // first row
    std::uint64_t bitsSize;     // every row, each padded to 4 bytes
};

class CBmpHeader {
public:
    // The file header and the usual info header: all the check reads of the file itself.
    static const std::size_t kHeadSize = 54;
    // Larger sides are refused: no bar or ad is that big, and a damaged header must not
    // cost a huge allocation.
    static const std::int32_t kSideLimit = 4096;

    // True when `head` (the file's first bytes, at most `fileSize` of them) is an
    // uncompressed 1, 4, 8, 16, 24 or 32-bit bitmap with sides up to the limit whose
    // headers, colour table and rows all lie inside the file's `fileSize` bytes; the layout
    // is then filled in. Compressed rows cannot be sized from the header and are refused:
    // no skin or ad uses them.
    static bool Check(const std::uint8_t* head, std::size_t headSize, std::uint64_t fileSize, BmpLayout* layout);
};

#endif
