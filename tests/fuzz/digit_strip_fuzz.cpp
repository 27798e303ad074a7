// The BMP reader and the digit-strip decoder on arbitrary file images: they
// either decode within bounds or throw their own exception.
#include "tests/fuzz/fuzz_input.h"
#include "tracery/bmp_reader.h"
#include "tracery/digit_strip_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const NS_BmpReader::Image image = NS_BmpReader::decode8Bit(data, size);
        FUZZ_REQUIRE(image.width > 0 && image.height > 0);
        FUZZ_REQUIRE(image.pixels.size() == static_cast<std::size_t>(image.width) *
                                                static_cast<std::size_t>(image.height));
    } catch (NS_BmpReader::Exception* e) {
        delete e;
    }
    try {
        const NS_DigitStrip::StripPixels strip = NS_DigitStrip::decodeDigitStripBmp(data, size);
        int lit = 0;
        for (int y = 0; y < NS_DigitStrip::Height; ++y)
            for (int x = 0; x < NS_DigitStrip::Width; ++x)
                lit += strip.lit(x, y) ? 1 : 0;
        FUZZ_REQUIRE(lit >= 0);
    } catch (NS_DigitStrip::Exception* e) {
        delete e;
    }
    return 0;
}
