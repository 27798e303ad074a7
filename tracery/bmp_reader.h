#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A small, strict reader for uncompressed 8-bit palettised Windows bitmaps
// (BITMAPINFOHEADER or later). Every offset and length is checked against the
// buffer before it is read, so a truncated or hostile file is rejected rather
// than read past its end.
namespace NS_BmpReader {

// Thrown (by pointer) for anything that is not a well-formed 8-bit BMP.
class Exception {};

struct PaletteEntry {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
};

struct Image {
    int width = 0;
    int height = 0;
    // Palette entry of each pixel, rows from the top, width * height entries.
    std::vector<PaletteEntry> pixels;

    const PaletteEntry& pixel(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Decodes the whole file image. Throws Exception (by pointer) on a bad
// signature, a truncated header or pixel array, a depth other than 8 bits, a
// compressed bitmap, a palette index outside the colour table, or a size that
// is zero or unreasonably large.
Image decode8Bit(const std::uint8_t* data, std::size_t size);

} // namespace NS_BmpReader
