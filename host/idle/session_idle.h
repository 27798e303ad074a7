#pragma once

#include "host/idle/idle_source.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// The idle source of the session this process runs in, the first it offers:
//   1. ext-idle-notify-v1 and 2. org_kde_kwin_idle, on $WAYLAND_DISPLAY;
//   3. org.gnome.Mutter.IdleMonitor on the session bus (GNOME, on Wayland or
//      X11);
//   4. the X server's MIT-SCREEN-SAVER extension, only without a Wayland
//      session (an X server under a compositor sees none of its input).
struct SessionIdle {
    std::unique_ptr<IdleSource> source;
    // What was tried before, and why it did not serve, one line each.
    std::vector<std::string> notOffered;
    // No source, because an XScreenSaver daemon already runs on the display.
    bool xscreensaverRuns = false;
};

// `wakeFd` (the caller's signal pipe) cuts a silent compositor's wait short.
SessionIdle openSessionIdle(std::chrono::milliseconds period, int wakeFd);
