#pragma once

#include <X11/Xlib.h>
#include <optional>

// The window a hack draws in when the command line names none: the one in
// `named` (the daemon's $XSCREENSAVER_WINDOW, hexadecimal or decimal) when it
// is set and not empty, else the virtual root some desktops put over the real
// root, else the real root of the default screen. Nothing when `named` is not
// a window id. The window is not checked to exist; adopting it does that.
std::optional<Window> daemonWindow(Display* display, const char* named);
