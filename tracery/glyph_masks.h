#pragma once

#include "tracery/digit_strip.h"

#include <array>
#include <cstdint>

// One 8 x 16 mask per glyph of the digit strip (0-9, then 10 for the colon):
// cell (g, i, j) is 1 where glyph g is drawn at column i (left to right) and
// row j (bottom to top), else 0.
class GlyphMasks {
public:
    static constexpr int Glyphs = NS_DigitStrip::GlyphCount;
    static constexpr int Columns = 8;
    static constexpr int Rows = 16;
    static constexpr int ColonGlyph = 10;

    GlyphMasks() = default;
    // Reads the 8 left columns of each 10-pixel cell; mask row j is strip row 15 - j.
    explicit GlyphMasks(const NS_DigitStrip::StripPixels& strip);

    std::uint8_t at(int glyph, int column, int row) const {
        return cells_[static_cast<unsigned>((glyph * Columns + column) * Rows + row)];
    }
    void set(int glyph, int column, int row, std::uint8_t value) {
        cells_[static_cast<unsigned>((glyph * Columns + column) * Rows + row)] = value;
    }

    bool operator==(const GlyphMasks& other) const = default;

private:
    std::array<std::uint8_t, Glyphs * Columns * Rows> cells_{};
};
