#include "host/headless/snapshot.h"

#include "host/headless/snapshot_run.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// "-", or a name for standard output itself (/dev/stdout, /proc/self/fd/1):
// the report must not end up inside the picture.
bool isStandardOutput(const std::string& file) {
    if (file == "-")
        return true;
    struct stat out {};
    struct stat named {};
    return fstat(STDOUT_FILENO, &out) == 0 && stat(file.c_str(), &named) == 0 &&
           out.st_dev == named.st_dev && out.st_ino == named.st_ino;
}
} // namespace

ExitStatus runSnapshot(const SnapshotOptions& options) {
    std::string error;
    const ExitStatus status = runSnapshot(options, error);
    if (status != ExitStatus::Ok) {
        std::fprintf(stderr, "veltrane: %s\n", error.c_str());
        return status;
    }
    // With the picture on standard output, the report goes to standard error.
    std::FILE* report = isStandardOutput(options.file) ? stderr : stdout;
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
        return ExitStatus::WriteFailed;
    }
    return ExitStatus::Ok;
}
