#pragma once

#include "host/idle/idle_source.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <chrono>
#include <memory>
#include <string>

// The X server's idle time from the MIT-SCREEN-SAVER extension
// (XScreenSaverQueryInfo), for X11 sessions without a Wayland compositor.
//
// Polled, at most once a second: while active the next look is exactly when
// the period would end if no input comes, or a second from now if that is
// sooner; while idle, once a second, to see input end it (input between two
// looks shows as an idle time shorter than the time since the last look, so
// a period as short as a look is not missed either). XResetScreenSaver
// (video players' heartbeat) resets the extension's idle time, so it counts
// as input. XScreenSaverSuspend leaves the idle time running and the
// extension offers no way to ask for it; the one trace it leaves is the
// server's own screen saver staying off once the server's time-out has passed.
// So when that time-out is set and the period is not shorter than it, the
// session is Idle only after the time-out has passed with the server's saver
// on (that is, not suspended). A shorter period cannot see a suspension.
//
// The factory refuses a display where an XScreenSaver daemon runs: that
// daemon already decides when to blank, and runs Veltrane itself when chosen.
class X11IdleSource : public IdleSource {
public:
    using Clock = std::chrono::steady_clock;

    // A source on `displayName` (nullptr: $DISPLAY), or nullptr and the
    // reason: no display, no extension, or an XScreenSaver daemon running
    // (then `daemonRuns`, when given, is set).
    static std::unique_ptr<IdleSource> create(std::chrono::milliseconds period, std::string& reason,
                                              const char* displayName = nullptr,
                                              bool* daemonRuns = nullptr);
    ~X11IdleSource() override;
    X11IdleSource(const X11IdleSource&) = delete;
    X11IdleSource& operator=(const X11IdleSource&) = delete;

    const char* name() const override { return "MIT-SCREEN-SAVER"; }
    int fd() const override { return ConnectionNumber(display_); }
    std::chrono::milliseconds wakeAfter() const override;
    bool dispatch() override;
    IdleState state() const override { return state_; }

private:
    X11IdleSource(Display* display, std::chrono::milliseconds period);
    // Reads the idle time; false once the server is gone.
    bool look(Clock::time_point now);
    // How long the session must be idle before it counts: the period, or
    // past the server's own time-out when that shows a suspension.
    std::chrono::milliseconds threshold(int serverTimeoutSeconds) const;

    Display* display_;
    XScreenSaverInfo* info_;
    std::chrono::milliseconds period_;
    IdleState state_ = IdleState::Active;
    Clock::time_point lastLook_;
    Clock::time_point nextLook_;
    bool lost_ = false;
};
