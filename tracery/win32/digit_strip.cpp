// The digit strip is bitmap 122 of the program's own resources. The system
// converts it to 32-bit top-down pixels (blue, green, red, unused), so the
// palette never has to be read here.
#include "tracery/digit_strip.h"

#include "kernel/kernel_exceptions.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace NS_DigitStrip {

namespace {

// Known to the catch-all guards whenever this loader is linked in.
const NS_KernelExceptions::ExceptionRegistration<Exception>
    registration("NS_DigitStrip::Exception");

constexpr int DigitStripResource = 122;

class BitmapHandle {
public:
    explicit BitmapHandle(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~BitmapHandle() {
        if (bitmap_ != nullptr)
            DeleteObject(bitmap_);
    }
    BitmapHandle(const BitmapHandle&) = delete;
    BitmapHandle& operator=(const BitmapHandle&) = delete;
    HBITMAP get() const { return bitmap_; }

private:
    HBITMAP bitmap_;
};

} // namespace

StripPixels loadDigitStrip() {
    BitmapHandle bitmap(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                        MAKEINTRESOURCEW(DigitStripResource),
                                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (bitmap.get() == nullptr)
        throw new Exception();
    BITMAP shape{};
    if (GetObjectW(bitmap.get(), sizeof shape, &shape) != sizeof shape || shape.bmWidth != Width ||
        shape.bmHeight != Height)
        throw new Exception();

    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = Width;
    format.bmiHeader.biHeight = -Height; // rows from the top
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(Width) * Height * 4);
    HDC screen = GetDC(nullptr);
    const int rows =
        GetDIBits(screen, bitmap.get(), 0, Height, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != Height)
        throw new Exception();

    StripPixels strip;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            strip.setLit(x, y, pixels[static_cast<std::size_t>((y * Width + x) * 4)] > 127);
    return strip;
}

} // namespace NS_DigitStrip
