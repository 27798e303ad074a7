#pragma once

#include <X11/Xlib.h>
#include <optional>
#include <string>

// The version of the XScreenSaver daemon running on the display, if one runs.
// The daemon marks a window of its own, a child of the root window, with
// _SCREENSAVER_VERSION (XScreenSaver 6.06 does; xscreensaver-command finds it
// the same way); the root window itself is checked too. The window goes with
// the daemon's connection, so a crashed daemon leaves no mark behind.
std::optional<std::string> xscreensaverDaemonVersion(Display* display);
