#pragma once

#include "host/idle/gnome_bus_handles.h"
#include "host/idle/gnome_session_state.h"
#include "host/idle/idle_source.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

// GNOME's idle time, from the compositor over the session bus: Mutter's
// org.gnome.Mutter.IdleMonitor (gnome-shell serves it on a GNOME desktop).
// Event driven: the watcher sleeps on the bus socket and wakes for D-Bus
// traffic addressed to us, sd-bus's own call time-outs, and the end of the
// grace period after an inhibitor's release.
//
// An idle watch of the period reports Idle. Each time it fires a one-shot
// user-active watch is armed (and the idle time read back, for input that came
// before the watch existed); its firing reports Active. No watch is armed
// while the session is active, so typing wakes the watcher not at all.
//
// org.gnome.SessionManager's IsInhibited(8) (8: the idle flag), asked at the
// start, whenever the service appears and after each InhibitorAdded or
// InhibitorRemoved, holds the session Active (GnomeSessionState says for how
// long). An absent service is no inhibitor. org.gnome.ScreenSaver's
// ActiveChanged (and GetActive at the start) is desktopLocked().
//
// dispatch() is false once the bus connection is gone or the IdleMonitor's
// owner left the bus (the compositor ended).
class GnomeIdleSource : public IdleSource {
public:
    // A source on the session bus of the environment (DBUS_SESSION_BUS_ADDRESS,
    // else $XDG_RUNTIME_DIR/bus), or nullptr and the reason when there is no
    // bus or no IdleMonitor on it. Blocks for at most a few round trips.
    static std::unique_ptr<IdleSource> create(std::chrono::milliseconds period,
                                              std::string& reason);
    ~GnomeIdleSource() override;

    const char* name() const override { return "org.gnome.Mutter.IdleMonitor"; }
    int fd() const override;
    std::chrono::milliseconds wakeAfter() const override;
    bool dispatch() override;
    IdleState state() const override { return state_; }
    bool desktopLocked() const override { return session_.locked(); }

private:
    GnomeIdleSource(GnomeBus bus, std::chrono::milliseconds period);
    bool start(std::string& reason);
    bool subscribe();
    bool process();
    void armUserActiveWatch();
    void askInhibited();
    void askLocked();
    void settle();

    static int onWatchFired(sd_bus_message* message, void* self, sd_bus_error*);
    static int onOwnerChanged(sd_bus_message* message, void* self, sd_bus_error*);
    static int onInhibitorChange(sd_bus_message* message, void* self, sd_bus_error*);
    static int onActiveChanged(sd_bus_message* message, void* self, sd_bus_error*);
    static int onUserActiveWatch(sd_bus_message* reply, void* self, sd_bus_error*);
    static int onIdleTime(sd_bus_message* reply, void* self, sd_bus_error*);
    static int onInhibited(sd_bus_message* reply, void* self, sd_bus_error*);
    static int onLocked(sd_bus_message* reply, void* self, sd_bus_error*);

    GnomeBus bus_;
    std::chrono::milliseconds period_;
    GnomeSessionState session_;
    IdleState state_ = IdleState::Active;
    std::uint32_t idleWatch_ = 0;
    std::uint32_t activeWatch_ = 0; // 0: none armed
    bool arming_ = false;           // AddUserActiveWatch sent, no answer yet
    bool lost_ = false;
};
