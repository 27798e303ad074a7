#pragma once

#include <array>
#include <csignal>
#include <initializer_list>
#include <span>

// What ends a saver run through its teardown, with status 0: an idle daemon's
// SIGTERM, a terminal's SIGINT, a closed session's SIGHUP.
inline constexpr std::array<int, 3> terminationSignals = {SIGTERM, SIGINT, SIGHUP};

// Turns termination signals into bytes on a pipe that the host's event loop
// polls next to its display connection, so a signal ends the run through the normal
// teardown (universe, then GL context, then window or surface) instead of inside a signal
// handler. Signals may arrive on any thread, the simulation thread and the GL
// driver's threads included; the handler only write()s, which is safe anywhere.
// One instance per process; the previous handlers come back on destruction.
class SignalPipe {
public:
    explicit SignalPipe(std::initializer_list<int> signals)
        : SignalPipe(std::span<const int>(signals.begin(), signals.size())) {}
    // `signals`, and `more` beside them (a parent's SIGCHLD).
    explicit SignalPipe(std::span<const int> signals, std::initializer_list<int> more = {});
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // Becomes readable when a signal has arrived.
    int fd() const;
    // The first signal received since the last call, or 0. Never blocks.
    int take();
    // True if a signal is waiting to be taken. Never blocks.
    bool pending() const;
    // In a child just forked (one thread, the signals blocked): a pipe of its
    // own, so that its signals and its parent's no longer share one; the
    // handlers stay. False if no pipe could be made (the child should give up).
    bool renewAfterFork();

private:
    static constexpr int maxSignals = 8;
    void watch(int signal);
    int signals_[maxSignals] = {};
    int count_ = 0;
};
