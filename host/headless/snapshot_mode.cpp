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
    if (options.help) {
        std::fputs(snapshotUsage, stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
            std::fputs("veltrane: writing the usage to standard output failed\n", stderr);
            return static_cast<int>(SnapshotStatus::WriteFailed);
        }
        return 0;
    }
    std::string error;
    const SnapshotStatus status = runSnapshot(options, error);
    if (status != SnapshotStatus::Ok) {
        std::fprintf(stderr, "veltrane: %s\n", error.c_str());
        return static_cast<int>(status);
    }
    // With the picture on standard output, the report goes to standard error.
    std::FILE* report = options.file == "-" ? stderr : stdout;
    const std::string frames =
        options.record ? ", " + std::to_string(options.ticksToRun() / options.every) + " frames"
                       : std::string();
    if (!options.file.empty())
        std::fprintf(report, "veltrane: wrote %s (%dx%d, %lld ticks%s)\n",
                     options.file == "-" ? "standard output" : options.file.c_str(), options.width,
                     options.height, static_cast<long long>(options.ticksToRun()), frames.c_str());
    if (!options.framesDir.empty())
        std::fprintf(report, "veltrane: wrote every %lld. frame to %s\n",
                     static_cast<long long>(options.every), options.framesDir.c_str());
    if (std::fflush(report) != 0 || std::ferror(report) != 0) {
        std::fputs("veltrane: writing the report failed\n", stderr);
        return static_cast<int>(SnapshotStatus::WriteFailed);
    }
    return 0;
}
