#pragma once

#include <chrono>
#include <memory>
#include <string>

// What the session says about its user: idle for at least the watcher's
// period, or active. Inhibited sessions (a video player, a presentation) never
// report Idle while the inhibitor is held.
enum class IdleState { Active, Idle };

// One way of learning that the session has been idle for a period: a Wayland
// protocol, a D-Bus service or an X extension. The watcher polls fd() together
// with its signal pipe and calls dispatch() whenever fd() is readable, and at
// the latest wakeAfter() after the previous call (polling sources), on its one
// thread. A source is made for one period; it keeps its own connection to the
// session.
class IdleSource {
public:
    virtual ~IdleSource() = default;

    // The mechanism's name as the user reads it in --verbose and --help
    // ("ext-idle-notify-v1", "org_kde_kwin_idle", "org.gnome.Mutter.IdleMonitor",
    // "MIT-SCREEN-SAVER").
    virtual const char* name() const = 0;
    // Readable when the source has something to dispatch; -1 for none.
    virtual int fd() const = 0;
    // How long the watcher may sleep before calling dispatch() again even
    // without input on fd(); negative: until fd() is readable.
    virtual std::chrono::milliseconds wakeAfter() const = 0;
    // Reads and handles what arrived. False once the session's server (the
    // compositor, the session bus, the X server) is gone: the watcher then
    // ends with the server-lost status.
    virtual bool dispatch() = 0;
    // The state as of the last dispatch().
    virtual IdleState state() const = 0;
    // True while the desktop's own shield or lock screen is up (GNOME): a
    // saver shown then must end, and none is started.
    virtual bool desktopLocked() const { return false; }
};
