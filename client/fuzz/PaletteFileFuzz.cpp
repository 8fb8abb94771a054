// Any web.pal at all: the reader must neither crash nor read outside the file, and takes
// exactly the whole entries the file holds after its header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "skin/PaletteFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PaletteColour colours[CPaletteFile::kEntries], builtIn[CPaletteFile::kEntries];
    CPaletteFile::FillBuiltIn(colours);
    CPaletteFile::FillBuiltIn(builtIn);
    const std::size_t taken = CPaletteFile::Read(data, size, colours);
    const std::size_t whole = size < CPaletteFile::kHeaderSize ? 0 : (size - CPaletteFile::kHeaderSize) / 4;
    if (taken != (whole < CPaletteFile::kEntries ? whole : CPaletteFile::kEntries)) std::abort();
    if (std::memcmp(colours + taken, builtIn + taken, (CPaletteFile::kEntries - taken) * sizeof *colours) != 0)
        std::abort();
    return 0;
}
