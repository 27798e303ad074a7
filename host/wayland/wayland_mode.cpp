#include "host/wayland/wayland_mode.h"

#include "host/linux/signal_pipe.h"
#include "host/linux/unexpected_error.h"
#include "host/wayland/fullscreen_parent.h"
#include "host/wayland/wayland_connection.h"
#include "host/wayland/wayland_host.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

bool waylandCompositorAvailable() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name)
        return false;
    // Something listening that is no compositor, or never answers, fails the
    // connection's bounded roundtrip instead of hanging the start.
    std::string error;
    return WaylandConnection::connect(error, -1) != nullptr;
}

ExitStatus runWaylandMode(const WaylandOptions& options) {
    // A SIGTERM from an idle daemon right after the start still ends the
    // saver through its teardown, with status 0.
    SurfaceRequest request;
    request.width = options.width;
    request.height = options.height;
    request.fps = options.fps;
    try {
        if (options.fullscreen) {
            SignalPipe signals({SIGTERM, SIGINT, SIGHUP, SIGCHLD});
            return static_cast<ExitStatus>(runFullscreenParent(request, signals));
        }
        SignalPipe signals({SIGTERM, SIGINT, SIGHUP});
        return static_cast<ExitStatus>(runWaylandSurface(request, signals));
    } catch (...) {
        return reportUnexpectedError();
    }
}
