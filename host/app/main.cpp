// The Linux `veltrane` binary: reads the command line once, through the option
// table, and hands the chosen mode its options.
#include "host/app/command_line.h"
#include "host/app/host_choice.h"
#include "host/app/usage_text.h"
#include "host/app/watcher.h"
#include "host/common/exit_status.h"
#include "host/headless/simulation.h"
#include "host/headless/snapshot.h"
#include "host/wayland/wayland_saver.h"
#include "host/x11/x11_host.h"
#include "host/x11/x11_saver.h"

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

ExitStatus runSaver(const ProgramOptions& options) {
    DisplayProbes probes;
    probes.wayland = waylandCompositorFailure;
    probes.x11 = [&] { return x11DisplayFailure(options.x11.display); };
    const HostChoice choice = chooseSaverHost(options.host, options.x11, probes);
    if (!choice.usageError.empty())
        return usageError(ProgramMode::Saver, choice.usageError);
    if (!choice.unreachable.empty()) {
        std::fprintf(stderr, "veltrane: no display to draw on: %s\n", choice.unreachable.c_str());
        return ExitStatus::Environment;
    }
    if (choice.host == SaverHost::X11)
        return runX11Saver(options.saver, options.x11);
    return runWaylandSaver(options.saver);
}

ExitStatus run(const ProgramOptions& options) {
    if (options.help) {
        const std::string usage =
            options.mode == ProgramMode::Saver ? programUsage() : modeUsage(options.mode);
        std::fputs(usage.c_str(), stdout);
        return ExitStatus::Ok;
    }
    if (options.version) {
        std::printf("Veltrane Screensaver %s\n", VELTRANE_VERSION);
        return ExitStatus::Ok;
    }
    switch (options.mode) {
    case ProgramMode::Simulate:
        return runSimulation(options.simulate);
    case ProgramMode::Snapshot:
    case ProgramMode::Record:
        return runSnapshot(options.snapshot);
    case ProgramMode::Watch:
        return runWatcher(options.watch);
    case ProgramMode::Autostart:
        return runAutostart(options.autostart);
    case ProgramMode::Saver:
        break;
    }
    return runSaver(options);
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
