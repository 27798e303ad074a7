#pragma once

#include "host/common/exit_status.h"
#include "host/common/saver_request.h"

#include <optional>
#include <string>

// Nullopt when a compositor answers at $WAYLAND_DISPLAY (a socket name in
// $XDG_RUNTIME_DIR or an absolute path), else why not, naming it; "" when
// $WAYLAND_DISPLAY is not set. Connects and disconnects at once; a socket
// that never answers fails a bounded wait instead of hanging.
std::optional<std::string> waylandCompositorFailure();

// The saver on the compositor named by $WAYLAND_DISPLAY, in a window or full
// screen on every output, until input, the compositor's close request or a
// termination signal ends it; returns the exit status.
ExitStatus runWaylandSaver(const SaverRequest& saver);
