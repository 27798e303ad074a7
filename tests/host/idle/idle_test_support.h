#pragma once
// What the idle sources' tests share: a real compositor of each test's own
// (scripts/lib/headless-sway or headless-kwin), input into its seat, and the
// watcher's loop around a source.

#include "host/idle/idle_source.h"

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

enum class CompositorKind { Sway, Kwin };

class IdleTestCompositor {
public:
    // A fresh compositor, stopped on destruction, or nullptr with `why` when
    // it cannot start here (not installed, refused to run).
    static std::unique_ptr<IdleTestCompositor> start(CompositorKind kind, std::string& why);
    ~IdleTestCompositor();
    IdleTestCompositor(const IdleTestCompositor&) = delete;
    IdleTestCompositor& operator=(const IdleTestCompositor&) = delete;

    // The socket's full path, for $WAYLAND_DISPLAY.
    const std::string& display() const { return display_; }
    // A key pressed and released, as a keyboard of the seat would: wtype on
    // sway (a new virtual keyboard each time), fake input on KWin. True once
    // the compositor has it.
    bool typeKey() const;
    // SIGKILL, as a crash would end it.
    void kill();

private:
    IdleTestCompositor(CompositorKind kind, std::string display, pid_t pid, std::string dir)
        : kind_(kind), display_(std::move(display)), pid_(pid), dir_(std::move(dir)) {}
    CompositorKind kind_;
    std::string display_;
    pid_t pid_;
    std::string dir_;
};

// True when VELTRANE_REQUIRE_SERVERS=1 (scripts/test): a compositor that does
// not start fails the test instead of skipping it.
bool serversRequired();

#define REQUIRE_SERVER(server, why)                                                                \
    do {                                                                                           \
        if (!(server)) {                                                                           \
            if (serversRequired())                                                                 \
                FAIL() << (why);                                                                   \
            GTEST_SKIP() << (why);                                                                 \
        }                                                                                          \
    } while (false)

enum class WatchEnd { Done, Lost, TimedOut };

// The watcher's loop: polls fd() (at most wakeAfter() when that is not
// negative) and dispatches, until `done` holds, dispatch() reports the server
// lost, or `milliseconds` pass.
WatchEnd watch(IdleSource& source, int milliseconds, const std::function<bool()>& done);
