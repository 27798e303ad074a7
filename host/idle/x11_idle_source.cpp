#include "host/idle/x11_idle_source.h"

#include "host/idle/x11_connection_loss.h"
#include "host/idle/x11_xscreensaver_daemon.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr milliseconds lookInterval{1000};
// The server's own saver comes on at its time-out's next timer tick: a
// saver still off this long after the time-out was suspended by a client.
constexpr milliseconds suspensionSlack{1000};

} // namespace

X11IdleSource::X11IdleSource(Display* display, std::chrono::milliseconds period)
    : display_(display), info_(XScreenSaverAllocInfo()), period_(period) {
    X11ConnectionLoss::watch(display_, &lost_);
    // The watcher's savers are programs of their own: they get no copy.
    fcntl(ConnectionNumber(display_), F_SETFD, FD_CLOEXEC);
}

X11IdleSource::~X11IdleSource() {
    if (info_)
        XFree(info_);
    XCloseDisplay(display_);
    X11ConnectionLoss::forget(display_);
}

std::unique_ptr<IdleSource> X11IdleSource::create(std::chrono::milliseconds period,
                                                  std::string& reason, const char* displayName,
                                                  bool* daemonRuns) {
    Display* display = XOpenDisplay(displayName);
    if (!display) {
        const char* shown = displayName ? displayName : std::getenv("DISPLAY");
        reason = std::string("cannot open the X display \"") + (shown ? shown : "") + "\"";
        return nullptr;
    }
    std::unique_ptr<X11IdleSource> made(new X11IdleSource(display, period));
    int eventBase = 0;
    int errorBase = 0;
    if (!made->info_ || !XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
        reason = "the X server has no MIT-SCREEN-SAVER extension";
        return nullptr;
    }
    if (std::optional<std::string> version = xscreensaverDaemonVersion(display)) {
        reason = "XScreenSaver " + *version +
                 " already runs on this display and decides when to blank it: choose "
                 "Veltrane in xscreensaver-settings instead";
        if (daemonRuns)
            *daemonRuns = true;
        return nullptr;
    }
    if (made->lost_ || !made->look(Clock::now())) {
        reason = "lost the connection to the X server";
        return nullptr;
    }
    return made;
}

std::chrono::milliseconds X11IdleSource::wakeAfter() const {
    return std::max(std::chrono::ceil<milliseconds>(nextLook_ - Clock::now()), milliseconds(0));
}

bool X11IdleSource::dispatch() {
    // No events are selected, but some come to every client (MappingNotify);
    // reading is also how a closed connection shows.
    while (!lost_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
    }
    const Clock::time_point now = Clock::now();
    if (!lost_ && now >= nextLook_ && !look(now))
        lost_ = true;
    return !lost_;
}

std::chrono::milliseconds X11IdleSource::threshold(int serverTimeoutSeconds) const {
    const milliseconds serverTimeout = seconds(serverTimeoutSeconds);
    if (serverTimeoutSeconds > 0 && period_ >= serverTimeout)
        return std::max(period_, serverTimeout + suspensionSlack);
    return period_;
}

bool X11IdleSource::look(Clock::time_point now) {
    int timeout = 0;
    int interval = 0;
    int blanking = 0;
    int exposures = 0;
    XGetScreenSaver(display_, &timeout, &interval, &blanking, &exposures);
    if (lost_ || !XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), info_) || lost_)
        return false;
    const milliseconds idle(static_cast<milliseconds::rep>(info_->idle));
    const milliseconds needed = threshold(timeout);
    const bool suspended =
        timeout > 0 && info_->state == ScreenSaverOff && idle >= seconds(timeout) + suspensionSlack;
    // Idle at the last look and idle for less than the time since: input
    // came in between, however idle the session is again by now. The input
    // ended that idle period (and whatever the watcher showed), so it is
    // reported; the next look follows at once.
    const bool inputSinceLook = state_ == IdleState::Idle && idle < now - lastLook_;
    state_ = idle >= needed && !suspended && !inputSinceLook ? IdleState::Idle : IdleState::Active;
    milliseconds next = lookInterval;
    if (state_ == IdleState::Active && !suspended)
        next = std::clamp(needed - idle, milliseconds(0), lookInterval);
    lastLook_ = now;
    nextLook_ = now + next;
    return true;
}
