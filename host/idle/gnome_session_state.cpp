#include "host/idle/gnome_session_state.h"

void GnomeSessionState::setInhibited(bool inhibited, Clock::time_point now) {
    if (inhibited_.value_or(false) && !inhibited)
        releasedAt_ = now;
    inhibited_ = inhibited;
}

IdleState GnomeSessionState::state(Clock::time_point now) const {
    if (!idle_ || inhibited_.value_or(true))
        return IdleState::Active;
    if (releasedAt_ && now < *releasedAt_ + period_)
        return IdleState::Active;
    return IdleState::Idle;
}

std::optional<GnomeSessionState::Clock::time_point>
GnomeSessionState::nextChange(Clock::time_point now) const {
    if (idle_ && !inhibited_.value_or(true) && releasedAt_ && now < *releasedAt_ + period_)
        return *releasedAt_ + period_;
    return std::nullopt;
}
