#pragma once

#include "host/common/saver_request.h"
#include "host/headless/simulate_options.h"
#include "host/headless/snapshot_options.h"
#include "host/x11/x11_request.h"

#include <optional>
#include <string>
#include <vector>

// Which of the Linux program's modes a command line asks for.
enum class ProgramMode {
    Saver,     // window, full screen, XScreenSaver hack, --help, --version
    Simulate,  // --simulate
    Snapshot,  // --snapshot
    Record,    // --record
    Watch,     // --idle: the saver whenever the session is idle
    Autostart, // --autostart on|off: the watcher started with the session
};

// Which host shows the saver: the one --x11 or --wayland forced (the last of
// them counts), or Automatic for chooseSaverHost.
enum class HostRequest { Automatic, X11, Wayland };

// `veltrane --idle [MINUTES]`.
struct WatchOptions {
    double minutes = 10;
    bool verbose = false; // say at the start which idle source serves
};

// `veltrane --autostart on [MINUTES]` or `--autostart off`.
struct AutostartOptions {
    bool on = true;
    double minutes = 10;
};

// A whole command line, read. Only the part of the chosen mode is filled in;
// the others keep their defaults.
struct ProgramOptions {
    ProgramMode mode = ProgramMode::Saver;
    bool help = false;    // print the usage of `mode` (Saver: of every mode)
    bool version = false; // Saver only
    HostRequest host = HostRequest::Automatic;
    SaverRequest saver; // what every host shows
    X11Request x11;     // the X11 host's extras
    SimulateOptions simulate;
    SnapshotOptions snapshot; // Snapshot and Record
    WatchOptions watch;
    AutostartOptions autostart;
};

// Either options or, for anything the program does not accept, a one-line
// reason (the caller prints it with the mode's usage and exits with Usage).
struct ParsedCommandLine {
    std::optional<ProgramOptions> options;
    std::string error;
};

// `args` excludes the program name. The mode is set by the first --simulate,
// --snapshot or --record that is not the value of a headless option taking one
// ("--dump --simulate" names a file, it does not choose a mode); without one
// the line belongs to the saver modes.
ProgramMode chooseProgramMode(const std::vector<std::string>& args);

// Reads the whole line for its mode and refuses anything that mode does not
// know, a second mode switch included. The saver options take one dash
// or two, as XScreenSaver's hacks do, and the first --help or --version ends
// the line there; the headless ones take two dashes (-h aside), and their
// --help still lets a malformed value be refused. Repeated options: the last
// value counts.
// - `--window-id ID` wins over `--root`, `--window` and `--fullscreen` in any
//   order (the daemon and the settings tool pass `--root` with it); among
//   those three the last one counts.
// - `--geometry` applies to window mode only.
// - `-install`, `-noinstall`, `-visual X`, `-delay N`, `-pair`, `-mono` are
//   accepted and ignored (the tick is fixed at 30 ms, so -delay has no use).
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);
