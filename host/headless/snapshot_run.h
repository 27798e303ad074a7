#pragma once

#include "host/headless/snapshot_options.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace NS_Universe {
class Universe;
}

// The process exit status of a snapshot run.
enum class SnapshotStatus : int {
    Ok = 0,
    BadArguments = 1,
    NoOpenGL = 2,         // no EGL display, config, surface or context
    SimulationFailed = 3, // the universe could not be built, or its thread failed
    WriteFailed = 4,      // a PNG, the WebP or the frames directory could not be written
};

struct SnapshotImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // top row first, tightly packed
};

// Builds the saver's universe on the virtual timer with an off-screen drawing target,
// runs options.ticksToRun() ticks with the clock pinned as the options say, and writes
// the requested PNG files, or with options.record the animated WebP. Every destination
// is checked (OutputFile::prepare) before the run. `last`, when given, receives the
// last frame of a snapshot. `inspect`, when given, runs on the calling thread after the
// simulation thread has ended and before the universe is destroyed (objects and handlers
// may then be read). On failure `error` says why. Universes are built one at a time: not
// reentrant.
SnapshotStatus runSnapshot(const SnapshotOptions& options, std::string& error,
                           SnapshotImage* last = nullptr,
                           const std::function<void(NS_Universe::Universe&)>& inspect = {});
