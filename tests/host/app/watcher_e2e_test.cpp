// `veltrane --idle` itself under real compositors of each test's own, two
// outputs each: sway 1.7 (org_kde_kwin_idle), KWin 5.27 (ext-idle-notify-v1)
// and mutter 43 (org.gnome.Mutter.IdleMonitor on its bus). The saver must come
// only after the idle period, on every output; input ends it and the next
// period brings it back; an application's inhibitor holds it off; the
// watcher's end takes the saver along, whatever ends it, and leaves no
// process behind. Bounds are generous for a busy two-core machine; what is
// timed is printed, not asserted.
#include "tests/host/app/watched_session.h"
#include "tests/host/app/watcher_e2e_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {
using namespace std::chrono;
using namespace std::chrono_literals;

constexpr double shortMinutes = 0.04; // 2.4 s
constexpr auto shortPeriod = 2400ms;
constexpr double longMinutes = 10; // never idle within a test

class WatcherSessionTest : public testing::TestWithParam<SessionKind> {
protected:
    void SetUp() override {
        std::string why;
        session_ = WatchedSession::start(GetParam(), why);
        REQUIRE_SERVER(session_, why);
    }
    // The savers say what they send (WAYLAND_DEBUG) and how many frames
    // they drew.
    std::unique_ptr<WatcherRun> watch(double minutes, std::vector<std::string> more = {}) const {
        std::vector<std::string> environment = session_->environment();
        environment.insert(environment.end(), {"WAYLAND_DEBUG=client", "VELTRANE_REPORT_FRAMES=1"});
        environment.insert(environment.end(), more.begin(), more.end());
        return std::make_unique<WatcherRun>(minutes, std::move(environment));
    }
    // The saver of `run` once it shows on every output and has drawn a frame
    // (since `logStart` in its output), or 0.
    pid_t waitForSaver(const WatcherRun& run, std::size_t logStart = 0) const {
        pid_t saver = 0;
        const bool shown = eventually(showWithinMs, [&] {
            saver = run.saver();
            return saver != 0 && session_->outputsShown(saver) == WatchedSession::outputs &&
                   frameAttached(run.errorOutput(), logStart);
        });
        return shown ? saver : 0;
    }
    // The watcher ended with `status`, nothing of it left and nothing in its
    // output from a sanitizer.
    static void expectEnded(WatcherRun& run, int status) {
        EXPECT_EQ(run.waitExit(endWithinMs), status) << run.messages();
        EXPECT_TRUE(run.nothingLeft(endWithinMs)) << "a process outlived the watcher";
        EXPECT_EQ(sanitizerReport(run.errorOutput()), "");
    }

    std::unique_ptr<WatchedSession> session_;
};

TEST_P(WatcherSessionTest, CoversEveryOutputAfterEachIdlePeriodUntilAKeyEndsIt) {
    // The period counts from the last input: from the watcher's start here.
    ASSERT_TRUE(session_->typeKey());
    auto run = watch(shortMinutes);
    system_clock::time_point quietSince = run->started();
    for (int cycle = 1; cycle <= 2; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        const std::size_t logStart = run->errorOutput().size();
        const auto deadline = quietSince + shortPeriod;
        EXPECT_TRUE(noSaverUntil(*run, deadline - earlySlack)) << "the saver came early";
        const pid_t saver = waitForSaver(*run, logStart);
        ASSERT_NE(saver, 0) << "no saver on every output\n" << run->messages();
        const auto ms = firstFrameAfter(run->errorOutput(), logStart, deadline);
        std::printf("[ timing ] %s, cycle %d: first frame %.0f ms after the idle deadline\n",
                    sessionName(GetParam()), cycle, ms.value_or(-1));
        ASSERT_TRUE(eventually(showWithinMs, [&] {
            return keyboardFocusSettled(run->errorOutput(), logStart);
        })) << "the saver's keyboard never had the focus";
        if (cycle == 1) {
            EXPECT_EQ(sharedDescriptors(run->pid(), saver), std::vector<std::string>{});
        }

        ASSERT_TRUE(session_->typeKey());
        quietSince = system_clock::now();
        EXPECT_TRUE(eventually(endWithinMs, [&] { return !processAlive(saver); }))
            << "the key did not end the saver";
        EXPECT_TRUE(eventually(endWithinMs, [&] {
            return outputsThatDrew(run->errorOutput(), logStart) == WatchedSession::outputs;
        })) << run->messages();
        ASSERT_TRUE(processAlive(run->pid())) << run->messages();
    }
    run->signal(SIGTERM); // while it waits
    expectEnded(*run, 0);
}

TEST_P(WatcherSessionTest, AnApplicationsIdleInhibitorKeepsTheSaverOffUntilReleased) {
    auto inhibition = session_->inhibit();
    ASSERT_TRUE(inhibition) << "the inhibitor was not taken";
    auto run = watch(shortMinutes);
    EXPECT_TRUE(noSaverUntil(*run, run->started() + 3 * shortPeriod)) << "a saver while inhibited";
    inhibition.reset();
    EXPECT_NE(waitForSaver(*run), 0) << "released, yet no saver\n" << run->messages();
    run->signal(SIGTERM);
    expectEnded(*run, 0);
}

TEST_P(WatcherSessionTest, SigtermEndsTheWatcherAndTheSaverItShowsWithStatus0) {
    auto waiting = watch(longMinutes);
    ASSERT_TRUE(waiting->watching(endWithinMs)) << waiting->messages();
    waiting->signal(SIGTERM);
    expectEnded(*waiting, 0);

    auto showing = watch(shortMinutes);
    ASSERT_NE(waitForSaver(*showing), 0) << showing->messages();
    showing->signal(SIGTERM);
    expectEnded(*showing, 0);
}

TEST_P(WatcherSessionTest, ASecondWatcherOfTheSessionExitsWith6AndTheFirstWatchesOn) {
    const ScratchDir runtime; // the user's: where the session's lock is
    auto first = watch(longMinutes, {"XDG_RUNTIME_DIR=" + runtime.path});
    ASSERT_TRUE(first->watching(endWithinMs)) << first->messages();
    auto second = watch(longMinutes, {"XDG_RUNTIME_DIR=" + runtime.path});
    EXPECT_EQ(second->waitExit(endWithinMs), 6) << second->messages();
    EXPECT_NE(second->messages().find(std::to_string(first->pid())), std::string::npos)
        << "the refusal names the first watcher: " << second->messages();
    EXPECT_TRUE(processAlive(first->pid()));
    first->signal(SIGTERM);
    expectEnded(*first, 0);
}

TEST_P(WatcherSessionTest, TheCompositorKilledWhileWaitingEndsTheWatcherWithStatus2) {
    auto run = watch(longMinutes);
    ASSERT_TRUE(run->watching(endWithinMs)) << run->messages();
    session_->killServer();
    expectEnded(*run, 2);
}

TEST_P(WatcherSessionTest, TheCompositorKilledWhileTheSaverShowsEndsBothWithStatus2) {
    auto run = watch(shortMinutes);
    ASSERT_NE(waitForSaver(*run), 0) << run->messages();
    session_->killServer();
    expectEnded(*run, 2);
}

INSTANTIATE_TEST_SUITE_P(Compositors, WatcherSessionTest,
                         testing::Values(SessionKind::Sway, SessionKind::Kwin, SessionKind::Mutter),
                         [](const testing::TestParamInfo<SessionKind>& kind) {
                             return std::string(sessionName(kind.param));
                         });

// No compositor, no bus, no X server: nothing to watch, and the reasons said.
TEST(WatcherWithoutIdleSource, ExitsWith7SayingWhatItTried) {
    const std::string noBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/veltrane-test-bus";
    WatcherRun nowhere(longMinutes,
                       {"WAYLAND_DISPLAY=/nonexistent/veltrane-test-wayland", noBus, "DISPLAY"});
    EXPECT_EQ(nowhere.waitExit(endWithinMs), 7) << nowhere.messages();
    EXPECT_NE(nowhere.messages().find("no idle source"), std::string::npos) << nowhere.messages();

    WatcherRun nothing(longMinutes, {"WAYLAND_DISPLAY", noBus, "DISPLAY"});
    EXPECT_EQ(nothing.waitExit(endWithinMs), 7) << nothing.messages();
    EXPECT_TRUE(nothing.nothingLeft(endWithinMs));
}

} // namespace
