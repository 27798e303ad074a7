#include "host/app/idle_watcher.h"

#include <algorithm>
#include <cstring>
#include <ostream>

namespace {

int millisecondsUntil(IdleWatcher::Clock::time_point when, IdleWatcher::Clock::time_point now) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 24 * 3600 * 1000));
}

// When `source` asks to be dispatched next without input, from `now`.
std::optional<IdleWatcher::Clock::time_point> dispatchDue(const IdleSource& source,
                                                          IdleWatcher::Clock::time_point now) {
    const auto wake = source.wakeAfter();
    if (wake.count() < 0)
        return std::nullopt;
    return now + wake;
}

std::string describeEnd(const SaverState& state) {
    if (state.kind == SaverState::Kind::Killed) {
        const char* name = strsignal(state.code);
        return "the saver was killed by signal " + std::to_string(state.code) +
               (name ? std::string(" (") + name + ")" : "");
    }
    return "the saver ended with status " + std::to_string(state.code);
}

} // namespace

IdleWatcher::IdleWatcher(IdleSource& source, SaverLauncher& launcher, std::ostream& report,
                         Clock::time_point now)
    : source_(source), launcher_(launcher), report_(report),
      nextDispatch_(dispatchDue(source, now)) {}

WatchWait IdleWatcher::nextWait(Clock::time_point now) const {
    WatchWait wait;
    int timeout = -1;
    const auto atMost = [&timeout](int milliseconds) {
        timeout = timeout < 0 ? milliseconds : std::min(timeout, milliseconds);
    };
    if (sourceDispatched()) {
        wait.sourceFd = source_.fd();
        if (nextDispatch_)
            atMost(millisecondsUntil(*nextDispatch_, now));
    }
    if (saver_ >= 0) {
        wait.saverFd = launcher_.fd(saver_);
        if (wait.saverFd < 0)
            atMost(static_cast<int>(saverCheckInterval.count()));
    }
    if (phase_ == Phase::Stopping && !killed_)
        atMost(millisecondsUntil(killAt_, now));
    wait.timeoutMs = timeout;
    return wait;
}

void IdleWatcher::turn(const WatchEvents& events, Clock::time_point now) {
    if (phase_ == Phase::Done)
        return;
    if (events.signal != 0) {
        if (finalStatus_ && saver_ >= 0 && !killed_) {
            launcher_.kill(saver_); // a second signal: no more waiting
            killed_ = true;
        }
        finish(finalStatus_.value_or(ExitStatus::Ok), now);
    }
    const bool due = nextDispatch_ && now >= *nextDispatch_;
    if (sourceDispatched() && (events.sourceReadable || due))
        dispatchSource(now);
    if (saver_ >= 0)
        checkSaver();
    decide(now);
}

std::optional<ExitStatus> IdleWatcher::finished() const {
    return phase_ == Phase::Done ? finalStatus_ : std::nullopt;
}

void IdleWatcher::dispatchSource(Clock::time_point now) {
    const bool alive = source_.dispatch();
    nextDispatch_ = dispatchDue(source_, now);
    if (alive)
        return;
    sourceAlive_ = false;
    report_ << "veltrane: " << source_.name()
            << ": the session's server is gone; the idle watcher ends\n";
    finish(ExitStatus::Environment, now);
}

void IdleWatcher::checkSaver() {
    const SaverState state = launcher_.check(saver_);
    if (state.kind == SaverState::Kind::Running)
        return;
    saver_ = -1;
    if (phase_ == Phase::Stopping) {
        phase_ = finalStatus_ ? Phase::Done : Phase::WaitingForActive;
        return;
    }
    // It ended by itself: input, or a failure.
    if (state.kind == SaverState::Kind::Exited && state.code == 0)
        lastFailure_.clear();
    else
        reportFailure(describeEnd(state));
    phase_ = Phase::WaitingForActive;
}

void IdleWatcher::decide(Clock::time_point now) {
    switch (phase_) {
    case Phase::WaitingForActive:
        if (source_.state() == IdleState::Active)
            phase_ = Phase::WaitingForIdle;
        break;
    case Phase::WaitingForIdle:
        if (source_.state() == IdleState::Idle && !source_.desktopLocked())
            startSaver();
        break;
    case Phase::Showing:
        // The lock screen owns the screen now; or input reached something
        // else than the saver (a lock screen over it, an output it does not
        // cover), which ends it as input on it would.
        if (source_.desktopLocked() || source_.state() == IdleState::Active)
            stopSaver(now);
        break;
    case Phase::Stopping:
        if (!killed_ && now >= killAt_) {
            launcher_.kill(saver_);
            killed_ = true;
        }
        break;
    case Phase::Done:
        break;
    }
}

void IdleWatcher::startSaver() {
    std::string error;
    saver_ = launcher_.start(error);
    if (saver_ >= 0) {
        phase_ = Phase::Showing;
        return;
    }
    reportFailure("the saver could not be started (" + error + ")");
    phase_ = Phase::WaitingForActive;
}

void IdleWatcher::stopSaver(Clock::time_point now) {
    if (phase_ == Phase::Stopping)
        return;
    launcher_.stop(saver_);
    phase_ = Phase::Stopping;
    killAt_ = now + killAfter;
    killed_ = false;
}

void IdleWatcher::finish(ExitStatus status, Clock::time_point now) {
    finalStatus_ = status;
    if (saver_ >= 0)
        stopSaver(now);
    else
        phase_ = Phase::Done;
}

void IdleWatcher::reportFailure(const std::string& what) {
    if (what == lastFailure_)
        return;
    lastFailure_ = what;
    report_ << "veltrane: " << what << "; the idle watcher tries again at the next idle period\n";
}
