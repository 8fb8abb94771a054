// What the system's bitmap loader reads of a BMP file, checked against the file's real length
// before the loader is handed the file: the loader trusts the headers and would read past a
// short file's end. Every file the loader takes passes unless loading it would read past the
// end. Portable (no Win32), so the same check is fuzzed natively.
#ifndef KVX_BMP_HEADER_H
#define KVX_BMP_HEADER_H

#include <cstddef>
#include <cstdint>

// Where a checked file keeps its parts, in bytes from its start.
struct BmpLayout {
    std::int64_t width;
    std::int64_t height;      // rows, whichever way they run
    std::uint64_t tableEnd;   // end of the headers, bit masks and colour table; the loader
                              // also reads the byte there
    std::uint64_t bitsOffset; // first row
    std::uint64_t bitsSize;   // bytes of rows the loader reads from there (0: none)
};

class CBmpHeader {
public:
    // True when `file`, all `size` bytes of a file, is a bitmap the loader may take (file
    // header "BM"; a core, info, V4 or V5 header; one plane of 1, 4, 8, 16, 24 or 32 bits;
    // sides above 0) and every byte the loader reads of it lies inside the file: the headers,
    // the colour table (at most 256 entries), and the rows it decodes: uncompressed rows
    // whole, a run-length stream as far as its decoder goes. The layout is then filled in.
    static bool Check(const std::uint8_t* file, std::uint64_t size, BmpLayout* layout);
};

#endif
