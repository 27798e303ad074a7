// Writes the digit strip, resources/digits.bmp: the glyphs "0123456789:" white
// on black, 8 pixels wide and 16 high, at a pitch of 10 pixels (two dark
// separator columns after each glyph), as a 110 x 16 8-bit palettised BMP with
// a grey-ramp colour table. Run once; the output is committed:
//   make_digit_strip resources/digits.bmp
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int Width = 110;
constexpr int Height = 16;
constexpr int Pitch = 10;

// One line per glyph, rows from the top; bit 7 is the glyph's left column.
constexpr std::uint8_t Glyphs[11][16] = {
    {0x00, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x22, 0x1C,
     0x00},
    {0x00, 0x08, 0x08, 0x08, 0x18, 0x28, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08,
     0x00},
    {0x00, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x01, 0x01, 0x06, 0x18, 0x20, 0x20, 0x40, 0x4E, 0x71,
     0x00},
    {0x00, 0x3C, 0x42, 0x41, 0x01, 0x01, 0x02, 0x0C, 0x02, 0x01, 0x01, 0x01, 0x41, 0x42, 0x3C,
     0x00},
    {0x10, 0x21, 0x21, 0x41, 0x41, 0x41, 0x41, 0x21, 0x23, 0x1D, 0x01, 0x01, 0x01, 0x01, 0x01,
     0x00},
    {0x00, 0x3F, 0x20, 0x20, 0x40, 0x40, 0x5C, 0x62, 0x01, 0x01, 0x01, 0x01, 0x41, 0x42, 0x3C,
     0x00},
    {0x00, 0x0E, 0x11, 0x21, 0x20, 0x20, 0x3C, 0x42, 0x41, 0x41, 0x41, 0x41, 0x41, 0x22, 0x1C,
     0x00},
    {0x01, 0x63, 0x5D, 0x41, 0x01, 0x02, 0x04, 0x08, 0x08, 0x10, 0x10, 0x20, 0x20, 0x20, 0x20,
     0x00},
    {0x00, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x22, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x41, 0x22, 0x1C,
     0x00},
    {0x00, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x41, 0x41, 0x21, 0x1F, 0x01, 0x01, 0x02, 0x42, 0x3C,
     0x00},
    {0x00, 0x00, 0x1C, 0x1C, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x1C, 0x1C, 0x1C, 0x00, 0x00, 0x00,
     0x00},
};

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFFu));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_digit_strip OUTPUT.bmp\n", stderr);
        return 1;
    }
    constexpr std::uint32_t paletteSize = 256 * 4;
    constexpr std::uint32_t stride = (Width + 3) / 4 * 4;
    constexpr std::uint32_t pixelOffset = 14 + 40 + paletteSize;
    constexpr std::uint32_t fileSize = pixelOffset + stride * Height;

    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, fileSize);
    put32(out, 0);
    put32(out, pixelOffset);
    put32(out, 40);     // BITMAPINFOHEADER
    put32(out, Width);  //
    put32(out, Height); // positive: rows stored bottom-up
    put16(out, 1);      // planes
    put16(out, 8);      // bits per pixel
    put32(out, 0);      // uncompressed
    put32(out, stride * Height);
    put32(out, 2835); // 72 dpi
    put32(out, 2835);
    put32(out, 256); // colours used
    put32(out, 0);
    for (unsigned i = 0; i < 256; ++i) {
        out.push_back(static_cast<std::uint8_t>(i));
        out.push_back(static_cast<std::uint8_t>(i));
        out.push_back(static_cast<std::uint8_t>(i));
        out.push_back(0);
    }
    for (int storedRow = 0; storedRow < Height; ++storedRow) {
        const int topRow = Height - 1 - storedRow;
        for (std::uint32_t x = 0; x < stride; ++x) {
            bool lit = false;
            const int glyph = static_cast<int>(x) / Pitch;
            const int column = static_cast<int>(x) % Pitch;
            if (static_cast<int>(x) < Width && column < 8)
                lit = ((Glyphs[glyph][topRow] >> (7 - column)) & 1) != 0;
            out.push_back(lit ? 255 : 0);
        }
    }

    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "make_digit_strip: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
