#pragma once

#include "host/headless/snapshot_options.h"

#include <cstdint>
#include <string>
#include <vector>

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

// Builds the saver's run on the virtual timer with an off-screen drawing target,
// runs options.ticksToRun() ticks with the clock pinned as the options say, and writes
// the requested PNG files, or with options.record the animated WebP. Every destination
// is checked (OutputFile::prepare) before the run. On failure `error` says why. Refused
// (SimulationFailed) while another saver run is live in the process.
SnapshotStatus runSnapshot(const SnapshotOptions& options, std::string& error);
