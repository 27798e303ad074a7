#pragma once

#include "tracery/digit_strip.h"

#include <cstddef>
#include <cstdint>

namespace NS_DigitStrip {

// Decodes a digit strip stored as an 8-bit palettised BMP file image: a pixel
// is lit when its palette colour's blue byte exceeds 127. Throws Exception (by
// pointer) when the data is missing, not such a BMP, truncated, or not
// exactly Width x Height.
StripPixels decodeDigitStripBmp(const std::uint8_t* data, std::size_t size);

} // namespace NS_DigitStrip
