#pragma once

#include "host/app/command_line.h"

#include <functional>
#include <optional>
#include <string>

enum class SaverHost { X11, Wayland };

// Asks whether a display answers: nullopt when it does, else why not in a
// few words that name it. The Wayland probe answers "" (no reason) when
// $WAYLAND_DISPLAY is not set, which is not trying.
using DisplayProbe = std::function<std::optional<std::string>()>;

struct DisplayProbes {
    DisplayProbe wayland;
    DisplayProbe x11; // asked only after a Wayland compositor failed
};

// The host, or a one-line usage error, or (status Environment) the reason no
// display could be had, naming every display tried.
struct HostChoice {
    SaverHost host = SaverHost::X11;
    std::string usageError;
    std::string unreachable;
};

// Which host shows the saver. --x11 or --wayland decide when given;
// otherwise Wayland when the saver is a window or full screen, no X display
// is named and a compositor answers, else X11. The compositor is asked only
// in that last case (it connects). When it was asked and failed, the X
// display is asked too, so that a user with neither hears about both; when
// no compositor was tried the X11 host reports its own display.
// The XScreenSaver hack modes and a named X display exist on X11 only, so
// asking Wayland for them is a usage error.
HostChoice chooseSaverHost(HostRequest request, const X11Request& x11, const DisplayProbes& probes);
