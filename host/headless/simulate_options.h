#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct TimeOfDay {
    int hour = 0;   // 0 ... 23
    int minute = 0; // 0 ... 59
};

// Options of `veltrane --simulate`, as the option table reads them.
struct SimulateOptions {
    // Fixed local time of day; absent: the real local time.
    std::optional<int> hour;
    std::optional<int> minute;
    // Virtual day: the local time starts here and advances exactly 30 ms per
    // tick. Excludes hour/minute.
    std::optional<TimeOfDay> from;
    // Seed of the simulation thread's generator; absent: the calendar time.
    std::optional<std::uint32_t> seed;
    std::int64_t ticks = 1000;
    // A progress line every this many ticks; 0: none.
    std::int64_t every = 100;
    bool ascii = false;
    // Where to write the world at the end; "-" for standard output; empty: nowhere.
    std::string dumpPath;
};
