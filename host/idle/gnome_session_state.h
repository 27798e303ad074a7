#pragma once

#include "host/idle/idle_source.h"

#include <chrono>
#include <optional>

// What GNOME's services have said about the session, folded into one state.
// Mutter's idle watch makes the session Idle and its user-active watch makes
// it Active again. While gnome-session reports an idle inhibitor the session
// is Active; when the last inhibitor goes, the user gets a full period from
// that moment before the session counts as idle (the video that just ended
// counts as the last activity), as the Wayland idle protocols reset their
// timers when an inhibitor goes. Until gnome-session's first answer (or its
// absence) is known, the session is Active.
class GnomeSessionState {
public:
    using Clock = std::chrono::steady_clock;

    explicit GnomeSessionState(std::chrono::milliseconds period) : period_(period) {}

    void idleFor(bool idle) { idle_ = idle; }
    void setInhibited(bool inhibited, Clock::time_point now);
    void setLocked(bool locked) { locked_ = locked; }

    IdleState state(Clock::time_point now) const;
    bool locked() const { return locked_; }
    bool idle() const { return idle_; }
    // When state() may change without a message: the end of the period that
    // follows an inhibitor's release.
    std::optional<Clock::time_point> nextChange(Clock::time_point now) const;

private:
    std::chrono::milliseconds period_;
    bool idle_ = false;
    bool locked_ = false;
    std::optional<bool> inhibited_;
    std::optional<Clock::time_point> releasedAt_;
};
