#include "tracery/digit_strip_decoder.h"

#include "kernel/kernel_exceptions.h"
#include "tracery/bmp_reader.h"

namespace NS_DigitStrip {

namespace {
// Known to the catch-all guards whenever this decoder is linked in.
const NS_KernelExceptions::ExceptionRegistration<Exception>
    registration("NS_DigitStrip::Exception");
} // namespace

StripPixels decodeDigitStripBmp(const std::uint8_t* data, std::size_t size) {
    NS_BmpReader::Image image;
    try {
        image = NS_BmpReader::decode8Bit(data, size);
    } catch (NS_BmpReader::Exception* e) {
        delete e;
        throw new Exception();
    }
    if (image.width != Width || image.height != Height)
        throw new Exception();
    StripPixels strip;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            strip.setLit(x, y, image.pixel(x, y).blue > 127);
    return strip;
}

} // namespace NS_DigitStrip
