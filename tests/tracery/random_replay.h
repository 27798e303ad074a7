#pragma once

#include <cstdint>

// The generator state whose next draw leaves `next` as the new state, so a
// test can line up a chosen output at a chosen draw.
inline std::uint32_t stateBefore(std::uint32_t next) {
    const std::uint32_t a = 214013u;
    std::uint32_t inverse = a; // Newton's iteration for the inverse modulo 2^32
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - a * inverse;
    return (next - 2531011u) * inverse;
}
