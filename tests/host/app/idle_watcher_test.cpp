#include "host/app/idle_watch_loop.h"
#include "host/app/idle_watcher.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sstream>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace std::chrono_literals;
using Phase = IdleWatcher::Phase;

namespace {

// A session whose state the test sets; dispatch() reads one byte from `fd`
// when there is one ('I' idle, 'A' active, 'X' server gone).
class FakeSource : public IdleSource {
public:
    IdleState idle = IdleState::Active;
    bool locked = false, alive = true;
    int readFd = -1, dispatches = 0, loseAfter = -1;
    std::chrono::milliseconds wake{-1};

    const char* name() const override { return "fake-idle"; }
    int fd() const override { return readFd; }
    std::chrono::milliseconds wakeAfter() const override { return wake; }
    bool dispatch() override {
        ++dispatches;
        char byte = 0;
        if (readFd >= 0 && read(readFd, &byte, 1) == 1)
            byte == 'X' ? void(alive = false)
                        : void(idle = byte == 'I' ? IdleState::Idle : IdleState::Active);
        return alive && dispatches != loseAfter;
    }
    IdleState state() const override { return idle; }
    bool desktopLocked() const override { return locked; }
};

// Savers that run until the test ends them; stop() ends one with SIGTERM's
// status unless `ignoreStop`. The log reads "start", "stop", "kill".
class FakeLauncher : public SaverLauncher {
public:
    std::map<Handle, SaverState> savers;
    std::vector<std::string> log;
    std::string startError;
    bool ignoreStop = false;

    Handle start(std::string& error) override {
        log.push_back("start");
        if (!startError.empty())
            return error = startError, -1;
        const Handle saver = static_cast<Handle>(log.size());
        savers[saver] = {};
        return saver;
    }
    int fd(Handle) const override { return -1; }
    SaverState check(Handle saver) override { return savers.at(saver); }
    void stop(Handle saver) override {
        log.push_back("stop");
        if (!ignoreStop)
            savers[saver] = {SaverState::Kind::Killed, SIGTERM};
    }
    void kill(Handle saver) override {
        log.push_back("kill");
        savers[saver] = {SaverState::Kind::Killed, SIGKILL};
    }
    // The newest saver ends; none started: nothing happens.
    void end(SaverState::Kind kind, int code) {
        if (!savers.empty())
            savers.rbegin()->second = {kind, code};
    }
    long starts() const { return std::ranges::count(log, "start"); }
};

class IdleWatcherDecisions : public ::testing::Test {
protected:
    FakeSource source;
    FakeLauncher launcher;
    std::ostringstream report;
    IdleWatcher::Clock::time_point now{};
    IdleWatcher watcher{source, launcher, report, now};

    // The session turns `state` and the watcher hears of it.
    void session(IdleState state) {
        source.idle = state;
        watcher.turn({.sourceReadable = true}, now += 10ms);
    }
    // The next idle period: input, then idle again.
    void nextPeriod() {
        session(IdleState::Active);
        session(IdleState::Idle);
    }
    long reportLines() const { return std::ranges::count(report.str(), '\n'); }
};

} // namespace

TEST_F(IdleWatcherDecisions, ShowsTheSaverOncePerIdlePeriod) {
    session(IdleState::Active);
    session(IdleState::Idle);
    EXPECT_EQ(watcher.phase(), Phase::Showing);
    // Input ended it; the session reads idle until the source hears of it.
    launcher.end(SaverState::Kind::Exited, 0);
    session(IdleState::Idle);
    EXPECT_EQ(watcher.phase(), Phase::WaitingForActive);
    nextPeriod();
    EXPECT_EQ(launcher.starts(), 2);
    EXPECT_EQ(report.str(), "");
}

TEST_F(IdleWatcherDecisions, TheDesktopLockScreenEndsTheSaverAndKeepsItOff) {
    source.locked = true;
    session(IdleState::Idle);
    EXPECT_EQ(launcher.starts(), 0);
    source.locked = false;
    nextPeriod();
    source.locked = true;
    session(IdleState::Idle);
    EXPECT_EQ(launcher.log, (std::vector<std::string>{"start", "stop"}));
    // Unlocking makes the user active first; only the next idle period shows it.
    source.locked = false;
    session(IdleState::Idle);
    EXPECT_EQ(launcher.starts(), 1);
    nextPeriod();
    EXPECT_EQ(launcher.starts(), 2);
}

TEST_F(IdleWatcherDecisions, InputTheSaverDidNotGetStillEndsIt) {
    session(IdleState::Idle);
    // Typed into a lock screen that came up over the saver.
    session(IdleState::Active);
    EXPECT_EQ(launcher.log, (std::vector<std::string>{"start", "stop"}));
    watcher.turn({}, now += 10ms);
    EXPECT_EQ(watcher.phase(), Phase::WaitingForIdle);
    EXPECT_EQ(report.str(), "") << "a saver ended for input is no failure";
    session(IdleState::Idle);
    EXPECT_EQ(launcher.starts(), 2);
}

TEST_F(IdleWatcherDecisions, FailuresAreReportedOnceAndRetriedOnlyAtTheNextIdlePeriod) {
    launcher.startError = "no process";
    for (int i = 0; i < 50; ++i)
        session(IdleState::Idle); // never a tight loop
    EXPECT_EQ(launcher.starts(), 1);
    EXPECT_NE(report.str().find("could not be started (no process)"), std::string::npos);
    nextPeriod(); // the same failure again: not reported again
    EXPECT_EQ(launcher.starts(), 2);
    EXPECT_EQ(reportLines(), 1);

    launcher.startError.clear();
    nextPeriod();
    launcher.end(SaverState::Kind::Exited, 255); // no GL
    session(IdleState::Idle);
    session(IdleState::Idle);
    EXPECT_EQ(launcher.starts(), 3);
    EXPECT_NE(report.str().find("ended with status 255"), std::string::npos) << report.str();
    nextPeriod(); // a clean run in between: the same failure is news again
    launcher.end(SaverState::Kind::Exited, 0);
    nextPeriod();
    launcher.end(SaverState::Kind::Exited, 255);
    // A crash is reported too, and the watcher goes on.
    nextPeriod();
    launcher.end(SaverState::Kind::Killed, SIGSEGV);
    nextPeriod();
    EXPECT_EQ(launcher.starts(), 7);
    EXPECT_EQ(reportLines(), 4);
    EXPECT_NE(report.str().find("killed by signal 11"), std::string::npos) << report.str();
    EXPECT_EQ(watcher.phase(), Phase::Showing);
}

TEST_F(IdleWatcherDecisions, ASignalEndsTheSaverThenTheWatcherWithZero) {
    IdleWatcher waiting(source, launcher, report, now);
    waiting.turn({.signal = SIGHUP}, now);
    EXPECT_EQ(waiting.finished(), ExitStatus::Ok);
    launcher.ignoreStop = true;
    session(IdleState::Idle);
    watcher.turn({.signal = SIGTERM}, now);
    EXPECT_EQ(launcher.log, (std::vector<std::string>{"start", "stop"}));
    EXPECT_FALSE(watcher.finished()); // not while the saver runs
    launcher.end(SaverState::Kind::Killed, SIGTERM);
    watcher.turn({}, now);
    EXPECT_EQ(watcher.finished(), ExitStatus::Ok);
    EXPECT_EQ(report.str(), "");
}

TEST_F(IdleWatcherDecisions, TheServerGoneEndsTheSaverAndTheWatcherWithTheServerLostStatus) {
    session(IdleState::Idle);
    source.alive = false;
    session(IdleState::Idle);
    EXPECT_EQ(launcher.log, (std::vector<std::string>{"start", "stop"}));
    EXPECT_EQ(watcher.finished(), ExitStatus::Environment);
    EXPECT_NE(report.str().find("fake-idle"), std::string::npos);
    EXPECT_EQ(watcher.nextWait(now).sourceFd, -1);
}

TEST_F(IdleWatcherDecisions, ASaverIgnoringSigtermIsKilledLaterOrAtASecondSignal) {
    launcher.ignoreStop = true;
    session(IdleState::Idle);
    watcher.turn({.signal = SIGTERM}, now);
    EXPECT_LE(watcher.nextWait(now).timeoutMs, 250); // a saver without fd is checked
    watcher.turn({}, now + IdleWatcher::killAfter - 1ms);
    EXPECT_EQ(launcher.log.back(), "stop");
    watcher.turn({}, now + IdleWatcher::killAfter);
    EXPECT_EQ(launcher.log.back(), "kill");

    IdleWatcher second(source, launcher, report, now);
    second.turn({}, now);
    second.turn({.signal = SIGINT}, now);
    second.turn({.signal = SIGINT}, now);
    EXPECT_EQ(launcher.log,
              (std::vector<std::string>{"start", "stop", "kill", "start", "stop", "kill"}));
    EXPECT_EQ(second.finished(), ExitStatus::Ok);
}

TEST_F(IdleWatcherDecisions, APollingSourceIsDispatchedWhenDueAndNotBefore) {
    source.wake = 1000ms;
    IdleWatcher polling(source, launcher, report, now);
    EXPECT_EQ(polling.nextWait(now + 400ms).timeoutMs, 600);
    polling.turn({}, now + 999ms);
    EXPECT_EQ(source.dispatches, 0);
    polling.turn({}, now + 1000ms);
    EXPECT_EQ(source.dispatches, 1);
    EXPECT_EQ(polling.nextWait(now + 1000ms).timeoutMs, 1000);
}

namespace {
// GNOME's source after an inhibitor's release: the session counts as idle a
// grace period later, and no message marks that moment. wakeAfter() counts
// down to it on the test's clock and is -1 (nothing to wait for) once it has
// passed; state() changes only in dispatch().
class GraceSource : public FakeSource {
public:
    explicit GraceSource(const IdleWatcher::Clock::time_point& clock) : clock_(clock) {}
    bool releasing = false; // the next dispatch reads the release
    std::optional<IdleWatcher::Clock::time_point> graceEnds;

    std::chrono::milliseconds wakeAfter() const override {
        if (!graceEnds || clock_ >= *graceEnds)
            return -1ms;
        return std::chrono::ceil<std::chrono::milliseconds>(*graceEnds - clock_);
    }
    bool dispatch() override {
        ++dispatches;
        if (std::exchange(releasing, false))
            graceEnds = clock_ + 2400ms;
        idle = graceEnds && clock_ >= *graceEnds ? IdleState::Idle : IdleState::Active;
        return true;
    }

private:
    const IdleWatcher::Clock::time_point& clock_;
};
} // namespace

TEST(IdleWatcherWakeUps, ASourceIsDispatchedWhenItAskedToBeEvenOnceItNoLongerAsks) {
    IdleWatcher::Clock::time_point now{};
    GraceSource source(now);
    FakeLauncher launcher;
    std::ostringstream report;
    IdleWatcher watcher(source, launcher, report, now);
    EXPECT_EQ(watcher.nextWait(now).timeoutMs, -1);
    source.releasing = true;
    watcher.turn({.sourceReadable = true}, now += 10ms);
    EXPECT_EQ(watcher.nextWait(now).timeoutMs, 2400);
    watcher.turn({}, now += 2400ms); // the wait ran out
    EXPECT_EQ(source.dispatches, 2);
    EXPECT_EQ(launcher.starts(), 1) << "the grace's end went unnoticed";
    EXPECT_EQ(watcher.nextWait(now).timeoutMs, 250) << "only the saver's checks are left";
}

TEST(IdleWatchLoop, RunsOnPipesAndAClockUntilTheServerIsGoneOrASignal) {
    int sourcePipe[2], signalPipe[2];
    ASSERT_EQ(pipe(sourcePipe), 0);
    ASSERT_EQ(pipe(signalPipe), 0);
    FakeSource source;
    FakeLauncher launcher;
    std::ostringstream report;
    source.readFd = sourcePipe[0];
    ASSERT_EQ(write(sourcePipe[1], "IX", 2), 2);
    const auto noSignal = [] { return 0; };
    IdleWatcher onPipe(source, launcher, report, IdleWatcher::Clock::now());
    EXPECT_EQ(runIdleWatch(onPipe, signalPipe[0], noSignal), ExitStatus::Environment);
    EXPECT_EQ(launcher.log, (std::vector<std::string>{"start", "stop"}));

    source = FakeSource{};
    source.wake = 20ms;
    source.loseAfter = 5;
    const auto start = IdleWatcher::Clock::now();
    IdleWatcher polling(source, launcher, report, start);
    EXPECT_EQ(runIdleWatch(polling, signalPipe[0], noSignal), ExitStatus::Environment);
    EXPECT_EQ(source.dispatches, 5);
    EXPECT_GE(IdleWatcher::Clock::now() - start, 100ms);

    source.wake = -1ms;
    ASSERT_EQ(write(signalPipe[1], "s", 1), 1);
    IdleWatcher signalled(source, launcher, report, IdleWatcher::Clock::now());
    const auto take = [&] {
        char byte;
        return read(signalPipe[0], &byte, 1) == 1 ? SIGTERM : 0;
    };
    EXPECT_EQ(runIdleWatch(signalled, signalPipe[0], take), ExitStatus::Ok);
    for (int fd : {sourcePipe[0], sourcePipe[1], signalPipe[0], signalPipe[1]})
        close(fd);
}
