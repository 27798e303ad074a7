#pragma once

#include "host/headless/option_values.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Options of `veltrane --simulate`.
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
    bool help = false;
};

// Parses the arguments after the program name, which must hold "--simulate"
// once. On failure returns false and sets `error` to a one-line message.
bool parseSimulateOptions(const std::vector<std::string>& args, SimulateOptions& options,
                          std::string& error);

// The usage text, ending in a newline.
const char* simulateUsage();
