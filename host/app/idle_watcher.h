#pragma once

#include "host/app/saver_launcher.h"
#include "host/common/exit_status.h"
#include "host/idle/idle_source.h"

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>

// What the loop waits on before the watcher's next turn.
struct WatchWait {
    // The idle source's fd while the source is dispatched, else -1.
    int sourceFd = -1;
    // The saver's fd while one runs and its launcher has one, else -1.
    int saverFd = -1;
    // The longest wait in milliseconds; -1 for none.
    int timeoutMs = -1;
};

// What happened during the wait. The saver's fd needs no flag: every turn
// asks the launcher whether the saver has ended.
struct WatchEvents {
    bool sourceReadable = false;
    // A termination signal (SIGTERM, SIGINT, SIGHUP) taken from the loop's
    // signal pipe, or 0.
    int signal = 0;
};

// The decisions of `veltrane --idle`, apart from any fd or process: the loop
// (idle_watch_loop.h) waits as nextWait() says and hands what happened to
// turn(), with the time.
//
// The cycle: when the source says Idle and the desktop is not locked, start
// the saver; when the saver ends, wait for Active, then for Idle again. A lock
// screen coming up while the saver shows ends it (SIGTERM), and so does the
// session turning Active while it shows: input the saver did not get itself
// (typed into a lock screen above it) still ends it. A saver that could
// not start, ended with a failure status or was killed by a signal is reported
// on `report` and tried again only at the next idle period (after Active, then
// Idle); the same failure again is not reported again until a saver has run
// and ended cleanly. A termination signal ends the saver and the watcher with
// status 0; the source's server gone (dispatch() false) ends them with
// ExitStatus::Environment. A saver asked to end is SIGKILLed when it has not
// ended killAfter later, or at a second signal; the watcher finishes only once
// no saver runs.
class IdleWatcher {
public:
    using Clock = std::chrono::steady_clock;
    enum class Phase { WaitingForIdle, WaitingForActive, Showing, Stopping, Done };

    static constexpr std::chrono::milliseconds saverCheckInterval{250};
    static constexpr std::chrono::milliseconds killAfter{3000};

    // Polling sources are first dispatched wakeAfter() after `now`.
    IdleWatcher(IdleSource& source, SaverLauncher& launcher, std::ostream& report,
                Clock::time_point now);
    IdleWatcher(const IdleWatcher&) = delete;
    IdleWatcher& operator=(const IdleWatcher&) = delete;

    WatchWait nextWait(Clock::time_point now) const;
    // One turn: the signal, then the source (when readable or due), then the
    // saver, then the decision. The loop's first turn comes before any wait.
    void turn(const WatchEvents& events, Clock::time_point now);

    Phase phase() const { return phase_; }
    // The exit status once the watcher is done (no saver runs any more).
    std::optional<ExitStatus> finished() const;

private:
    void dispatchSource(Clock::time_point now);
    void checkSaver();
    void decide(Clock::time_point now);
    void startSaver();
    void stopSaver(Clock::time_point now);
    void finish(ExitStatus status, Clock::time_point now);
    void reportFailure(const std::string& what);
    bool sourceDispatched() const { return sourceAlive_ && !finalStatus_; }

    IdleSource& source_;
    SaverLauncher& launcher_;
    std::ostream& report_;
    Phase phase_ = Phase::WaitingForIdle;
    SaverLauncher::Handle saver_ = -1;
    bool sourceAlive_ = true;
    // When the source asked to be dispatched without input: wakeAfter() as
    // it was after the last dispatch. That deadline holds even once the
    // source's wakeAfter() no longer names it (it counts down to a moment,
    // and passing it is what the dispatch is for).
    std::optional<Clock::time_point> nextDispatch_;
    Clock::time_point killAt_;
    bool killed_ = false;
    std::optional<ExitStatus> finalStatus_;
    std::string lastFailure_;
};
