#include "skin/PaletteFile.h"

#include <cstring>

void CPaletteFile::FillBuiltIn(PaletteColour (&colours)[kEntries])
{
    const std::size_t cube = 6 * 6 * 6;
    for (std::size_t i = 0; i < kEntries; ++i) {
        std::uint8_t red, green, blue;
        if (i < cube) {
            red = static_cast<std::uint8_t>(i / 36 * 51);
            green = static_cast<std::uint8_t>(i / 6 % 6 * 51);
            blue = static_cast<std::uint8_t>(i % 6 * 51);
        } else {
            red = green = blue = static_cast<std::uint8_t>(8 + (i - cube) * 6);
        }
        colours[i] = {blue, green, red, 0};
    }
}

std::size_t CPaletteFile::Read(const std::uint8_t* data, std::size_t size, PaletteColour (&colours)[kEntries])
{
    if (!data || size < kHeaderSize) return 0;
    std::size_t entries = (size - kHeaderSize) / sizeof(PaletteColour);
    if (entries > kEntries) entries = kEntries;
    std::memcpy(colours, data + kHeaderSize, entries * sizeof(PaletteColour));
    return entries;
}
