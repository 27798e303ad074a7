#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What `veltrane --snapshot` was asked to do.
struct SnapshotOptions {
    std::string file;         // the last frame as PNG; may be empty only with framesDir
    std::int64_t ticks = 900; // 30 s of saver time
    int width = 1024;         // same default as a window
    int height = 768;
    std::optional<int> hour; // --time: the local time the clock shows
    std::optional<int> minute;
    std::optional<std::int64_t> seed; // --seed: the calendar seconds that seed the generator
    std::string framesDir;            // --frames: write every `every`-th frame here
    std::int64_t every = 1;
};

inline constexpr int snapshotMaxSide = 8192;
inline constexpr std::int64_t snapshotMaxTicks = 100'000'000;

// Parses the whole command line of the binary (argv[0] and the "--snapshot" switch
// included). Empty on success, otherwise the reason to show above the usage.
std::string parseSnapshotOptions(int argc, const char* const* argv, SnapshotOptions& options);

extern const char* const snapshotUsage;
