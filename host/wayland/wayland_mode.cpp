#include "host/wayland/wayland_mode.h"

#include <cstdio>

// Placeholder until the Wayland host lands: no compositor is ever usable.
bool waylandCompositorAvailable() {
    return false;
}

ExitStatus runWaylandMode(const WaylandOptions&) {
    std::fputs("veltrane: this build has no Wayland host\n", stderr);
    return ExitStatus::Environment;
}
