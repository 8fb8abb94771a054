// Any file at all as a skin piece or an ad picture: the check must neither crash nor read
// outside the file, and a file it passes must hold every row its headers claim.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/BmpHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BmpLayout layout;
    const std::size_t head = size < CBmpHeader::kHeadSize ? size : CBmpHeader::kHeadSize;
    if (!CBmpHeader::Check(data, head, size, &layout)) return 0;
    if (layout.width < 1 || layout.width > CBmpHeader::kSideLimit) std::abort();
    if (layout.height < 1 || layout.height > CBmpHeader::kSideLimit) std::abort();
    if (layout.tableEnd > layout.bitsOffset || layout.bitsSize == 0) std::abort();
    // The loader reads the colour table and the last row: inside the file, as ASan sees it.
    volatile std::uint8_t last = data[layout.tableEnd - 1];
    last = data[layout.bitsOffset + layout.bitsSize - 1];
    (void)last;
    return 0;
}
