#pragma once

#include "host/linux/command_line.h"
#include "host/wayland/wayland_mode.h"

#include <functional>
#include <string>

enum class InteractiveHost { X11, Wayland };

// The host, or a one-line usage error.
struct HostChoice {
    InteractiveHost host = InteractiveHost::X11;
    std::string error;
};

// Which host runs the interactive options. --x11 or --wayland decide when
// given; otherwise Wayland when the mode is a window or full screen, no X
// display is named and `compositorAvailable` says a compositor answers, else
// X11. `compositorAvailable` is asked only in that last case (it connects).
// The XScreenSaver hack modes and a named X display exist on X11 only, so
// asking Wayland for them is a usage error.
HostChoice chooseInteractiveHost(HostRequest request, const X11Options& options,
                                 const std::function<bool()>& compositorAvailable);

// What the Wayland host is asked for. A Wayland client cannot place itself: a
// geometry's offset is dropped, its size kept.
WaylandOptions waylandOptions(const X11Options& options);
