// The digit strip as the Windows build reads it: bitmap 122 of the running
// program, converted by the system to 32-bit top-down pixels.
#include <gtest/gtest.h>

#include "tracery/digit_strip.h"

#include <cstdint>

namespace {

// Rows from the top; bit 7 is the glyph's left column. Both glyphs are
// asymmetric, so a flipped or mirrored read cannot pass.
struct Glyph {
    int index;
    std::uint8_t rows[16];
};
constexpr Glyph Expected[] = {
    {4,
     {0x10, 0x21, 0x21, 0x41, 0x41, 0x41, 0x41, 0x21, 0x23, 0x1D, 0x01, 0x01, 0x01, 0x01, 0x01,
      0x00}},
    {7,
     {0x01, 0x63, 0x5D, 0x41, 0x01, 0x02, 0x04, 0x08, 0x08, 0x10, 0x10, 0x20, 0x20, 0x20, 0x20,
      0x00}},
};

TEST(DigitStripResource, ReadsTheGlyphsUprightAndUnmirroredWithDarkSeparators) {
    const NS_DigitStrip::StripPixels strip = NS_DigitStrip::loadDigitStrip();
    for (const Glyph& glyph : Expected) {
        for (int row = 0; row < NS_DigitStrip::Height; ++row) {
            for (int column = 0; column < NS_DigitStrip::GlyphColumns; ++column) {
                const bool expected = ((glyph.rows[row] >> (7 - column)) & 1) != 0;
                EXPECT_EQ(strip.lit(glyph.index * NS_DigitStrip::Pitch + column, row), expected)
                    << "glyph " << glyph.index << " column " << column << " row " << row;
            }
        }
    }
    for (int g = 0; g < NS_DigitStrip::GlyphCount; ++g)
        for (int row = 0; row < NS_DigitStrip::Height; ++row)
            for (int column = NS_DigitStrip::GlyphColumns; column < NS_DigitStrip::Pitch; ++column)
                EXPECT_FALSE(strip.lit(g * NS_DigitStrip::Pitch + column, row));
}

} // namespace
