// Any file at all as a skin piece or an ad picture: the check must neither crash nor read
// outside the file, and a file it passes must hold every byte the loader then reads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/BmpHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BmpLayout layout;
    if (!CBmpHeader::Check(data, size, &layout)) return 0;
    if (layout.width < 1 || layout.height < 1) std::abort();
    if (layout.tableEnd >= size) std::abort();
    if (layout.bitsSize > 0 && (layout.bitsOffset > size || layout.bitsSize > size - layout.bitsOffset)) std::abort();
    // The loader reads up to the byte after the colour table, and the rows: inside the file, as ASan sees it.
    volatile std::uint8_t last = data[layout.tableEnd];
    if (layout.bitsSize > 0) last = data[layout.bitsOffset + layout.bitsSize - 1];
    (void)last;
    return 0;
}
