#include "host/wayland/wayland_saver.h"

#include "host/posix/signal_pipe.h"
#include "host/wayland/fullscreen_parent.h"
#include "host/wayland/wayland_connection.h"
#include "host/wayland/wayland_host.h"

#include <csignal>
#include <cstdlib>

std::optional<std::string> waylandCompositorFailure() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name)
        return std::string();
    std::string error;
    if (WaylandConnection::connect(error, -1) != nullptr)
        return std::nullopt;
    return error;
}

ExitStatus runWaylandSaver(const SaverRequest& saver) {
    // Before anything slow: an idle daemon's SIGTERM right after the start
    // still ends the saver through its teardown, with status 0.
    if (saver.shape == SaverShape::FullScreen) {
        SignalPipe signals(terminationSignals, {SIGCHLD});
        return runFullscreenParent(saver, signals);
    }
    SignalPipe signals(terminationSignals);
    return runWaylandSurface(saver, 0, signals);
}
