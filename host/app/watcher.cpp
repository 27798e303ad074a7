#include "host/app/watcher.h"

#include "host/app/autostart_entry.h"
#include "host/app/child_saver_launcher.h"
#include "host/app/idle_watch_loop.h"
#include "host/app/idle_watcher.h"
#include "host/app/watcher_lock.h"
#include "host/idle/session_idle.h"
#include "host/posix/signal_pipe.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

// The session the watcher watches, as the lock tells sessions apart.
std::string sessionDisplay() {
    for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"})
        if (const char* value = std::getenv(variable); value != nullptr && *value != '\0')
            return value;
    return {};
}

ExitStatus noSource(const SessionIdle& session) {
    if (session.xscreensaverRuns) {
        std::fprintf(stderr, "veltrane: %s\n", session.notOffered.back().c_str());
        return ExitStatus::AlreadyWatching;
    }
    std::fprintf(stderr, "veltrane: this session offers no idle source:\n");
    for (const std::string& why : session.notOffered)
        std::fprintf(stderr, "  %s\n", why.c_str());
    return ExitStatus::NoIdleSource;
}

} // namespace

ExitStatus runWatcher(const WatchOptions& options) {
    // First: an end asked for during the start still ends the watcher with 0.
    SignalPipe signals(terminationSignals);
    const WatcherLock lock(
        WatcherLock::pathFor(std::getenv("XDG_RUNTIME_DIR"), getuid(), sessionDisplay()));
    if (lock.result() == WatcherLock::Result::HeldByAnother) {
        std::fprintf(stderr,
                     "veltrane: another veltrane --idle (process %d) already watches "
                     "this session\n",
                     static_cast<int>(lock.holder()));
        return ExitStatus::AlreadyWatching;
    }
    if (lock.result() == WatcherLock::Result::Failed) {
        std::fprintf(stderr, "veltrane: %s\n", lock.error().c_str());
        return ExitStatus::Environment;
    }
    const auto period = std::chrono::milliseconds(static_cast<long long>(options.minutes * 60'000));
    SessionIdle session = openSessionIdle(period, signals.fd());
    if (!session.source)
        return signals.pending() ? ExitStatus::Ok : noSource(session);
    if (options.verbose)
        std::fprintf(stderr, "veltrane: the saver shows after %g minutes of idleness (%s)\n",
                     options.minutes, session.source->name());
    ChildSaverLauncher launcher;
    IdleWatcher watcher(*session.source, launcher, std::cerr, IdleWatcher::Clock::now());
    return runIdleWatch(watcher, signals.fd(), [&] { return signals.take(); });
}

ExitStatus runAutostart(const AutostartOptions& options) {
    const AutostartEntry entry = AutostartEntry::forThisUser();
    const AutostartOutcome outcome = options.on ? entry.turnOn(options.minutes) : entry.turnOff();
    if (!outcome.ok) {
        std::fprintf(stderr, "veltrane: %s\n", outcome.message.c_str());
        return ExitStatus::WriteFailed;
    }
    std::fputs(outcome.message.c_str(), stdout);
    return ExitStatus::Ok;
}
