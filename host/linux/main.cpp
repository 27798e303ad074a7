// The Linux `veltrane` binary: picks the mode from the command line and hands
// the whole argument list to it. Each mode parses and validates its own options.
#include "host/headless/simulate_mode.h"
#include "host/headless/simulate_options.h"
#include "host/headless/snapshot_mode.h"
#include "host/headless/snapshot_options.h"
#include "host/headless/snapshot_run.h"
#include "host/linux/program_mode.h"
#include "host/wayland/wayland_mode.h"
#include "host/x11/command_line.h"
#include "host/x11/x11_mode.h"

#include <algorithm>
#include <iterator>

#include <cstdio>
#include <string>
#include <vector>

namespace {
// Standard output that could not be written (a full disk, /dev/full) turns a
// success into this status: the headless modes' own code for output that
// could not be written, 1 elsewhere.
int unwritableOutputStatus(ProgramMode mode) {
    return mode == ProgramMode::Snapshot || mode == ProgramMode::Record
               ? static_cast<int>(SnapshotStatus::WriteFailed)
               : 1;
}

// Closing is where some failures (a full disk, a lost network file) show.
bool closeStandardOutput() {
    const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    return std::fclose(stdout) == 0 && flushed;
}

int run(ProgramMode mode, int argc, char** argv, const std::vector<std::string>& args) {
    switch (mode) {
    case ProgramMode::Simulate:
        return runSimulateMode(argc, argv);
    case ProgramMode::Snapshot:
    case ProgramMode::Record:
        return runSnapshotMode(argc, argv);
    case ProgramMode::Interactive:
        break;
    }
    const ParsedCommandLine parsed = parseHostCommandLine(args);
    if (parsed.options && parsed.options->mode == HostMode::Help) {
        // The whole program's usage, every mode.
        std::printf("%s\n%s\n%s", hostUsage(), snapshotUsage, simulateUsage());
        return 0;
    }
    // Interim: --wayland hands the window and full-screen options to the
    // Wayland host; the option table will choose the host by itself.
    if (std::find(args.begin(), args.end(), "--wayland") != args.end()) {
        std::vector<std::string> rest;
        std::remove_copy(args.begin(), args.end(), std::back_inserter(rest), "--wayland");
        const ParsedCommandLine forWayland = parseHostCommandLine(rest);
        if (!forWayland.options) {
            std::fprintf(stderr, "veltrane: %s\n%s", forWayland.error.c_str(), hostUsage());
            return 1;
        }
        WaylandOptions options;
        options.fullscreen = forWayland.options->mode == HostMode::FullScreen;
        options.width = forWayland.options->width;
        options.height = forWayland.options->height;
        options.fps = forWayland.options->fps;
        return exitCode(runWaylandMode(options));
    }
    return runX11Mode(argc, argv);
}
} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ProgramMode mode = chooseProgramMode(args);
    int status = run(mode, argc, argv, args);
    if (!closeStandardOutput() && status == 0) {
        std::fputs("veltrane: writing to standard output failed\n", stderr);
        status = unwritableOutputStatus(mode);
    }
    return status;
}
