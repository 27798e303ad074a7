#pragma once
// What the idle sources' tests share: a real compositor of each test's own
// (scripts/lib/headless-sway or headless-kwin), input into its seat, and the
// server checks of tests/host/server_required.h.

#include "host/idle/idle_source.h"

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
    // the compositor has it. With `pauseMs` the key comes that long after the
    // tool's device: a client that binds its keyboard afresh when the seat
    // changes (the saver does) has the new one by then.
    bool typeKey(int pauseMs = 0) const;
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
