#pragma once

#include "host/common/exit_status.h"
#include "host/headless/snapshot_options.h"

#include <cstdint>
#include <string>
#include <vector>

struct SnapshotImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // top row first, tightly packed
};

// Builds the saver's run on the virtual timer with an off-screen drawing target,
// runs options.ticksToRun() ticks with the clock pinned as the options say, and writes
// the requested PNG files, or with options.record the animated WebP. Every destination
// is checked (OutputFile::prepare) before the run. On failure `error` says why:
// Usage, Environment (no EGL display, config, surface or context),
// SimulationFailed or WriteFailed. Refused (SimulationFailed) while another saver run is live in
// the process.
ExitStatus runSnapshot(const SnapshotOptions& options, std::string& error);
