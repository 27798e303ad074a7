// The Linux `veltrane` binary: reads the command line once, through the option
// table, and hands the chosen mode its options.
#include "host/headless/simulate_mode.h"
#include "host/headless/snapshot_mode.h"
#include "host/linux/command_line.h"
#include "host/linux/exit_status.h"
#include "host/linux/host_choice.h"
#include "host/linux/usage_text.h"
#include "host/wayland/wayland_mode.h"
#include "host/x11/x11_mode.h"

#include <cstdio>
#include <string>
#include <vector>

#ifndef VELTRANE_VERSION
#define VELTRANE_VERSION "unknown"
#endif

namespace {
// Standard output that could not be written (a full disk, /dev/full) turns a
// success into this status: the picture modes' own code for output that
// could not be written, Usage elsewhere.
ExitStatus unwritableOutputStatus(ProgramMode mode) {
    return mode == ProgramMode::Snapshot || mode == ProgramMode::Record ? ExitStatus::WriteFailed
                                                                        : ExitStatus::Usage;
}

// Closing is where some failures (a full disk, a lost network file) show.
bool closeStandardOutput() {
    const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    return std::fclose(stdout) == 0 && flushed;
}

ExitStatus usageError(ProgramMode mode, const std::string& message) {
    std::fprintf(stderr, "veltrane: %s\n%s", message.c_str(), modeUsage(mode).c_str());
    return ExitStatus::Usage;
}

ExitStatus runInteractive(const ProgramOptions& options) {
    const HostChoice choice =
        chooseInteractiveHost(options.host, options.x11, waylandCompositorAvailable);
    if (!choice.error.empty())
        return usageError(ProgramMode::Interactive, choice.error);
    if (choice.host == InteractiveHost::X11)
        return runX11Mode(options.x11);
    return runWaylandMode(waylandOptions(options.x11));
}

ExitStatus run(const ProgramOptions& options) {
    if (options.help) {
        const std::string usage =
            options.mode == ProgramMode::Interactive ? programUsage() : modeUsage(options.mode);
        std::fputs(usage.c_str(), stdout);
        return ExitStatus::Ok;
    }
    if (options.version) {
        std::printf("Veltrane Screensaver %s\n", VELTRANE_VERSION);
        return ExitStatus::Ok;
    }
    switch (options.mode) {
    case ProgramMode::Simulate:
        return runSimulateMode(options.simulate);
    case ProgramMode::Snapshot:
    case ProgramMode::Record:
        return runSnapshotMode(options.snapshot);
    case ProgramMode::Interactive:
        break;
    }
    return runInteractive(options);
}
} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedCommandLine parsed = parseCommandLine(args);
    const ProgramMode mode = parsed.options ? parsed.options->mode : chooseProgramMode(args);
    ExitStatus status = parsed.options ? run(*parsed.options) : usageError(mode, parsed.error);
    if (!closeStandardOutput() && status == ExitStatus::Ok) {
        std::fputs("veltrane: writing to standard output failed\n", stderr);
        status = unwritableOutputStatus(mode);
    }
    return exitCode(status);
}
