// "web.pal", the palette the bar realises on 8-bit displays: a 24-byte header (a RIFF
// palette's, for tools that open the file; the client skips it), then up to 256 entries of
// blue, green, red and an unused byte. Portable (no Win32), so the reader is fuzzed natively.
#ifndef KVX_PALETTE_FILE_H
#define KVX_PALETTE_FILE_H

#include <cstddef>
#include <cstdint>

// Laid out like the file's entries (and like an RGBQUAD).
struct PaletteColour {
    std::uint8_t blue;
    std::uint8_t green;
    std::uint8_t red;
    std::uint8_t unused;
};
static_assert(sizeof(PaletteColour) == 4, "a palette entry is 4 bytes");

class CPaletteFile {
public:
    static const std::size_t kEntries = 256;
    static const std::size_t kHeaderSize = 24;
    // A whole file; the reader needs no byte beyond it.
    static const std::size_t kFileSize = kHeaderSize + kEntries * sizeof(PaletteColour);

    // The colours of a missing or short file: the 6 x 6 x 6 web cube and a grey ramp.
    static void FillBuiltIn(PaletteColour (&colours)[kEntries]);
    // Replaces the first colours with the whole entries that the file's `size` bytes hold
    // after the header; a broken last entry and anything past 256 entries are ignored.
    // Returns how many were replaced.
    static std::size_t Read(const std::uint8_t* data, std::size_t size, PaletteColour (&colours)[kEntries]);
};

#endif
