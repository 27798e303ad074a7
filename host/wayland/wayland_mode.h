#pragma once

#include "host/linux/exit_status.h"

#include <string>

// What the Wayland host was asked to do.
struct WaylandOptions {
    // One full-screen surface on every output instead of a window.
    bool fullscreen = false;
    // Window mode: the size asked of the compositor, which may configure another.
    int width = 1024;
    int height = 768;
    // Draw the frame-rate overlay.
    bool fps = false;
};

// True when a compositor answers at $WAYLAND_DISPLAY (a socket name in
// $XDG_RUNTIME_DIR or an absolute path). Connects and disconnects at once.
bool waylandCompositorAvailable();

// Runs the window or full-screen saver on the compositor named by
// $WAYLAND_DISPLAY until input, the compositor's close request, SIGTERM or
// SIGINT ends it, and returns the exit status.
ExitStatus runWaylandMode(const WaylandOptions& options);
