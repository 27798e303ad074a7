// The portable build carries the strip's BMP file inside the binary.
#include "tracery/digit_strip.h"

#include "resources/digit_strip_data.h"
#include "tracery/digit_strip_decoder.h"

namespace NS_DigitStrip {

StripPixels loadDigitStrip() {
    return decodeDigitStripBmp(veltraneDigitStripBmp, veltraneDigitStripBmpSize);
}

} // namespace NS_DigitStrip
