#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What `veltrane --snapshot` or `veltrane --record` was asked to do.
struct SnapshotOptions {
    bool record = false;      // --record: an animated WebP instead of the last frame
    std::string file;         // PNG (snapshot) or WebP (record); "-": standard output; may be
                              // empty only for a snapshot with framesDir
    std::int64_t ticks = 900; // 30 s of saver time
    int width = 1024;         // same default as a window
    int height = 768;
    std::optional<int> hour; // --time: the local time the clock shows
    std::optional<int> minute;
    std::optional<std::int64_t> seed; // --seed: the calendar seconds that seed the generator
    std::string framesDir;            // --frames: write every `every`-th frame here
    std::int64_t every = 1;           // frame interval of framesDir and of the recording
    std::int64_t maxFrames = 0;       // --max-frames: the run ends after this many; 0: no limit
    int quality = 80;                 // --quality: lossy WebP quality, 0 to 100
    std::optional<std::int64_t> frameMilliseconds; // --frame-ms; default: every x 30 (real time)

    // Ticks the run lasts: `ticks`, or fewer when maxFrames ends it earlier.
    std::int64_t ticksToRun() const;
    // How long each recorded frame is shown.
    std::int64_t displayMilliseconds() const;
};

inline constexpr int snapshotMaxSide = 8192;
inline constexpr std::int64_t snapshotMaxTicks = 100'000'000;
