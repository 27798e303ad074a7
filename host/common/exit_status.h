#pragma once

// The exit statuses of the Linux `veltrane` program, every mode and host alike.
// The values are documented in the man page and relied on by scripts and by
// XScreenSaver; never renumber them. (The Windows saver's exit codes are its
// own: the message loop's quit code.)
enum class ExitStatus : int {
    Ok = 0,
    // A bad argument (the reason and the usage are printed); for --simulate
    // also a dump file that cannot be written; outside the picture modes also
    // standard output that cannot be written.
    Usage = 1,
    // No display or compositor, no such window, a lost server; off-screen: no
    // EGL display or context; for --simulate: the world cannot be built.
    Environment = 2,
    // The simulation failed, or its teardown did; also an unexpected error
    // that ends a host's run (the screen is given back first).
    SimulationFailed = 3,
    // Off-screen: the picture, or the report on standard output, cannot be
    // written.
    WriteFailed = 4,
    // The Wayland compositor lacks a protocol the saver needs (xdg-shell).
    MissingProtocol = 5,
    // --idle: another watcher already watches this session (a second
    // `veltrane --idle`, or an XScreenSaver daemon on the X display).
    AlreadyWatching = 6,
    // --idle: the session offers no idle source.
    NoIdleSource = 7,
    // Between the Wayland full screen's processes only, never the program's
    // status: the output a child was to cover is gone, so that child ends
    // alone and the others go on.
    OutputGone = 64,
    // No OpenGL context can be made for the window or surface.
    NoOpenGl = 255,
};

// Printed when no GL visual or context can be had for a window.
inline constexpr const char* noOpenGlText = "Screen saver can't set an appropriate OpenGL mode";

constexpr int exitCode(ExitStatus status) {
    return static_cast<int>(status);
}
