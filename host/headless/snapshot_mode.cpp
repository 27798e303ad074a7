#include "host/headless/snapshot_mode.h"

#include "host/headless/snapshot_options.h"
#include "host/headless/snapshot_run.h"

#include <cstdio>
#include <string>

int runSnapshotMode(int argc, char** argv) {
    SnapshotOptions options;
    const std::string problem = parseSnapshotOptions(argc, argv, options);
    if (!problem.empty()) {
        std::fprintf(stderr, "veltrane: %s\n%s", problem.c_str(), snapshotUsage);
        return static_cast<int>(SnapshotStatus::BadArguments);
    }
    std::string error;
    const SnapshotStatus status = runSnapshot(options, error);
    if (status != SnapshotStatus::Ok) {
        std::fprintf(stderr, "veltrane: %s\n", error.c_str());
        return static_cast<int>(status);
    }
    if (!options.file.empty())
        std::printf("veltrane: wrote %s (%dx%d, %lld ticks)\n", options.file.c_str(), options.width,
                    options.height, static_cast<long long>(options.ticks));
    if (!options.framesDir.empty())
        std::printf("veltrane: wrote every %lld. frame to %s\n",
                    static_cast<long long>(options.every), options.framesDir.c_str());
    return 0;
}
