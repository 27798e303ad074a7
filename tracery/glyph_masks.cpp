#include "tracery/glyph_masks.h"

GlyphMasks::GlyphMasks(const NS_DigitStrip::StripPixels& strip) {
    for (int g = 0; g < Glyphs; ++g)
        for (int i = 0; i < Columns; ++i)
            for (int j = 0; j < Rows; ++j)
                set(g, i, j, strip.lit(NS_DigitStrip::Pitch * g + i, Rows - 1 - j) ? 1 : 0);
}
