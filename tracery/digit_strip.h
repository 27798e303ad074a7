#pragma once

#include <array>
#include <cstdint>

// The digit strip: the glyphs "0123456789:" drawn white on black, side by side
// at a pitch of 10 pixels in a 110 x 16 picture (8 glyph columns, then 2
// separator columns). Each platform supplies it from the program's own
// resources; the generative field turns it into glyph masks.
namespace NS_DigitStrip {

// Thrown (by pointer) when the strip is missing, unreadable or malformed.
class Exception {};

constexpr int Width = 110;
constexpr int Height = 16;
constexpr int GlyphCount = 11;
constexpr int Pitch = 10;
constexpr int GlyphColumns = 8;

// Which pixels of the strip are lit. Row 0 is the top row.
class StripPixels {
public:
    bool lit(int x, int y) const { return bits_[index(x, y)] != 0; }
    void setLit(int x, int y, bool on) { bits_[index(x, y)] = on ? 1 : 0; }

private:
    static unsigned index(int x, int y) { return static_cast<unsigned>(y * Width + x); }
    std::array<std::uint8_t, Width * Height> bits_{};
};

// The program's own strip (platform implementation). A pixel is lit when its
// blue component, read as 8 bits, exceeds 127. Throws Exception (by pointer)
// when it cannot be read; never reads outside the resource.
StripPixels loadDigitStrip();

} // namespace NS_DigitStrip
