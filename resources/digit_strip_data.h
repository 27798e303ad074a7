#pragma once

#include <cstddef>
#include <cstdint>

// The bytes of resources/digits.bmp, embedded at build time for platforms
// without a resource section.
extern const std::uint8_t veltraneDigitStripBmp[];
extern const std::size_t veltraneDigitStripBmpSize;
