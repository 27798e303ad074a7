#pragma once

#include <cstdint>

class SignalPipe;

// What one saver surface is asked to be.
struct SurfaceRequest {
    // Full screen on the output of this registry name; else a window.
    bool fullscreen = false;
    std::uint32_t outputName = 0;
    // The window's size when the compositor leaves it to the client.
    int width = 1024;
    int height = 768;
    bool fps = false;
};

// Runs one saver surface on a connection of its own to $WAYLAND_DISPLAY, with
// its own GL context and the process's one saver run, until a closing input,
// the compositor's close request, a signal on `signals` (SIGTERM, SIGINT,
// SIGHUP), the loss of the compositor or a failure ends it. Returns the exit
// status: an ExitStatus value, or OutputChildren::outputGoneStatus when a full
// screen's output is not there (any more). Whatever ends it, the simulation
// thread has ended and everything is freed when it returns.
int runWaylandSurface(const SurfaceRequest& request, SignalPipe& signals);
