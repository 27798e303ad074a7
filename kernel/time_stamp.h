#pragma once

#include <cstdint>

namespace NS_TimeService {

// The moment a tick's timer fired, as two 32-bit words, low word first. On
// Windows a file time (100 ns units since 1601-01-01 UTC); elsewhere the
// platform's monotonic clock in 100 ns units. No handler interprets it.
struct TimeStamp {
    std::uint32_t low = 0;
    std::uint32_t high = 0;

    std::uint64_t value() const { return (std::uint64_t{high} << 32) | low; }
    static TimeStamp from(std::uint64_t v) {
        return TimeStamp{static_cast<std::uint32_t>(v), static_cast<std::uint32_t>(v >> 32)};
    }
};

} // namespace NS_TimeService
