#include "tracery/bmp_reader.h"

#include "kernel/kernel_exceptions.h"

namespace NS_BmpReader {

namespace {
// Known to the catch-all guards whenever this reader is linked in.
const NS_KernelExceptions::ExceptionRegistration<Exception> registration("NS_BmpReader::Exception");

constexpr std::size_t FileHeaderSize = 14;
constexpr std::uint32_t InfoHeaderMinSize = 40;
constexpr std::int64_t MaxDimension = 16384;

// Little-endian reads that refuse to leave the buffer.
class Cursor {
public:
    Cursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    void require(std::uint64_t offset, std::uint64_t length) const {
        if (offset > size_ || length > size_ - offset)
            throw new Exception();
    }
    std::uint8_t u8(std::uint64_t offset) const {
        require(offset, 1);
        return data_[offset];
    }
    std::uint16_t u16(std::uint64_t offset) const {
        require(offset, 2);
        return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    }
    std::uint32_t u32(std::uint64_t offset) const {
        require(offset, 4);
        return static_cast<std::uint32_t>(data_[offset]) |
               (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
    }
    std::int32_t i32(std::uint64_t offset) const { return static_cast<std::int32_t>(u32(offset)); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// What the headers say, checked: an 8-bit uncompressed image of sane size
// whose header lies within the data.
struct Layout {
    std::uint32_t pixelOffset;
    std::int64_t width;
    std::int64_t height;
    bool topDown;
    std::uint32_t colours;
    std::uint64_t paletteOffset;
};

Layout readLayout(const Cursor& in) {
    if (in.u8(0) != 'B' || in.u8(1) != 'M')
        throw new Exception();
    Layout layout{};
    layout.pixelOffset = in.u32(10);

    const std::uint32_t headerSize = in.u32(FileHeaderSize);
    if (headerSize < InfoHeaderMinSize)
        throw new Exception();
    in.require(FileHeaderSize, headerSize);
    layout.width = in.i32(FileHeaderSize + 4);
    const std::int64_t rawHeight = in.i32(FileHeaderSize + 8);
    const std::uint16_t planes = in.u16(FileHeaderSize + 12);
    const std::uint16_t bitCount = in.u16(FileHeaderSize + 14);
    const std::uint32_t compression = in.u32(FileHeaderSize + 16);
    layout.colours = in.u32(FileHeaderSize + 32);

    layout.topDown = rawHeight < 0;
    layout.height = layout.topDown ? -rawHeight : rawHeight;
    if (layout.width <= 0 || layout.height <= 0 || layout.width > MaxDimension ||
        layout.height > MaxDimension)
        throw new Exception();
    if (planes != 1 || bitCount != 8 || compression != 0)
        throw new Exception();
    if (layout.colours == 0)
        layout.colours = 256;
    if (layout.colours > 256)
        throw new Exception();
    layout.paletteOffset = FileHeaderSize + headerSize;
    return layout;
}

std::vector<PaletteEntry> readPalette(const Cursor& in, const Layout& layout) {
    in.require(layout.paletteOffset, std::uint64_t{layout.colours} * 4);
    std::vector<PaletteEntry> palette(layout.colours);
    for (std::uint32_t i = 0; i < layout.colours; ++i) {
        const std::uint64_t at = layout.paletteOffset + std::uint64_t{i} * 4;
        palette[i] = PaletteEntry{in.u8(at), in.u8(at + 1), in.u8(at + 2)};
    }
    return palette;
}

Image readPixels(const Cursor& in, const Layout& layout, const std::vector<PaletteEntry>& palette) {
    const std::int64_t width = layout.width;
    const std::int64_t height = layout.height;
    // Rows are padded to whole 32-bit words.
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) + 3) / 4 * 4;
    in.require(layout.pixelOffset, stride * static_cast<std::uint64_t>(height));

    Image image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.resize(static_cast<std::size_t>(width * height));
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t storedRow = layout.topDown ? y : height - 1 - y;
        const std::uint64_t rowOffset =
            layout.pixelOffset + static_cast<std::uint64_t>(storedRow) * stride;
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint8_t index = in.u8(rowOffset + static_cast<std::uint64_t>(x));
            if (index >= layout.colours)
                throw new Exception();
            image.pixels[static_cast<std::size_t>(y * width + x)] = palette[index];
        }
    }
    return image;
}

} // namespace

Image decode8Bit(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr)
        throw new Exception();
    const Cursor in(data, size);
    const Layout layout = readLayout(in);
    const std::vector<PaletteEntry> palette = readPalette(in, layout);
    return readPixels(in, layout, palette);
}

} // namespace NS_BmpReader
