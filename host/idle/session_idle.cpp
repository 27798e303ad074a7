#include "host/idle/session_idle.h"

#include "host/idle/gnome_idle_source.h"
#include "host/idle/wayland_idle.h"
#include "host/idle/x11_idle_source.h"

#include <cstdlib>

namespace {
bool set(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}
} // namespace

SessionIdle openSessionIdle(std::chrono::milliseconds period, int wakeFd) {
    SessionIdle found;
    std::string why;
    const bool wayland = set("WAYLAND_DISPLAY");
    if (wayland) {
        if ((found.source = openWaylandIdleSource(period, why, wakeFd)))
            return found;
        found.notOffered.push_back(why);
    }
    if ((found.source = GnomeIdleSource::create(period, why)))
        return found;
    found.notOffered.push_back(why);
    if (wayland) {
        found.notOffered.push_back("the X server's idle time does not count in a Wayland session");
        return found;
    }
    if ((found.source = X11IdleSource::create(period, why, nullptr, &found.xscreensaverRuns)))
        return found;
    found.notOffered.push_back(why);
    return found;
}
