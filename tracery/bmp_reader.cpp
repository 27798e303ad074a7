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

} // namespace

Image decode8Bit(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr)
        throw new Exception();
    const Cursor in(data, size);
    if (in.u8(0) != 'B' || in.u8(1) != 'M')
        throw new Exception();
    const std::uint32_t pixelOffset = in.u32(10);

    const std::uint32_t headerSize = in.u32(FileHeaderSize);
    if (headerSize < InfoHeaderMinSize)
        throw new Exception();
    in.require(FileHeaderSize, headerSize);
    const std::int64_t width = in.i32(FileHeaderSize + 4);
    const std::int64_t rawHeight = in.i32(FileHeaderSize + 8);
    const std::uint16_t planes = in.u16(FileHeaderSize + 12);
    const std::uint16_t bitCount = in.u16(FileHeaderSize + 14);
    const std::uint32_t compression = in.u32(FileHeaderSize + 16);
    std::uint32_t colours = in.u32(FileHeaderSize + 32);

    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0 || width > MaxDimension || height > MaxDimension)
        throw new Exception();
    if (planes != 1 || bitCount != 8 || compression != 0)
        throw new Exception();
    if (colours == 0)
        colours = 256;
    if (colours > 256)
        throw new Exception();

    const std::uint64_t paletteOffset = FileHeaderSize + headerSize;
    in.require(paletteOffset, std::uint64_t{colours} * 4);
    std::vector<PaletteEntry> palette(colours);
    for (std::uint32_t i = 0; i < colours; ++i) {
        const std::uint64_t at = paletteOffset + std::uint64_t{i} * 4;
        palette[i] = PaletteEntry{in.u8(at), in.u8(at + 1), in.u8(at + 2)};
    }

    // Rows are padded to whole 32-bit words.
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) + 3) / 4 * 4;
    in.require(pixelOffset, stride * static_cast<std::uint64_t>(height));

    Image image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.resize(static_cast<std::size_t>(width * height));
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t storedRow = topDown ? y : height - 1 - y;
        const std::uint64_t rowOffset =
            pixelOffset + static_cast<std::uint64_t>(storedRow) * stride;
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint8_t index = in.u8(rowOffset + static_cast<std::uint64_t>(x));
            if (index >= colours)
                throw new Exception();
            image.pixels[static_cast<std::size_t>(y * width + x)] = palette[index];
        }
    }
    return image;
}

} // namespace NS_BmpReader
