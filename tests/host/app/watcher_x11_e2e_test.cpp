// `veltrane --idle` itself on an Xvfb of each test's own, without a Wayland
// session or a session bus: the idle time comes from MIT-SCREEN-SAVER (polled
// once a second), the saver is an X window, input comes through XTest
// (xdotool), and a running XScreenSaver daemon owns the display.
#include "tests/host/app/watcher_e2e_support.h"
#include "tests/host/idle/private_xvfb.h"
#include "tests/host/x11/x11_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
using namespace std::chrono;
using namespace std::chrono_literals;

constexpr double shortMinutes = 0.04; // 2.4 s
constexpr auto shortPeriod = 2400ms;

class X11WatcherTest : public testing::Test {
protected:
    void SetUp() override {
        REQUIRE_SERVER(PrivateXvfb::installed(), "Xvfb");
        xvfb_ = std::make_unique<PrivateXvfb>();
        ASSERT_FALSE(xvfb_->display().empty()) << "Xvfb did not start";
        // TestDisplay and xdotool use the test's own DISPLAY.
        setenv("DISPLAY", xvfb_->display().c_str(), 1);
        display_ = std::make_unique<TestDisplay>();
    }
    std::unique_ptr<WatcherRun> watch(double minutes, std::vector<std::string> more = {}) const {
        more.insert(more.end(), {"DISPLAY=" + xvfb_->display(), "WAYLAND_DISPLAY",
                                 "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/veltrane-bus"});
        return std::make_unique<WatcherRun>(minutes, std::move(more));
    }
    // The saver's window once it shows a picture, or 0.
    Window waitForSaverWindow() {
        const Window window = display_->waitForWindow("Veltrane", showWithinMs);
        return window != 0 && display_->showsNonBlack(window, showWithinMs) ? window : 0;
    }
    bool windowGone(Window window) {
        return eventually(endWithinMs, [&] { return display_->attributes(window).width == 0; });
    }

    std::unique_ptr<PrivateXvfb> xvfb_;
    std::unique_ptr<TestDisplay> display_;
};

TEST_F(X11WatcherTest, ShowsAWindowAfterEachIdlePeriodThatInputOrSigtermEnds) {
    xdotool("key shift"); // the server's idle time counts from here
    auto run = watch(shortMinutes, {"VELTRANE_REPORT_FRAMES=1"});
    system_clock::time_point quietSince = run->started();
    for (int cycle = 1; cycle <= 2; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        const auto deadline = quietSince + shortPeriod;
        EXPECT_TRUE(noSaverUntil(*run, deadline - earlySlack)) << "the saver came early";
        const Window window = waitForSaverWindow();
        const auto drawn = system_clock::now();
        ASSERT_NE(window, 0u) << run->messages();
        std::printf("[ timing ] Xvfb, cycle %d: first frame seen %lld ms after the idle deadline\n",
                    cycle,
                    static_cast<long long>(duration_cast<milliseconds>(drawn - deadline).count()));
        const XWindowAttributes covered = display_->attributes(window);
        EXPECT_EQ(covered.width, 640);
        EXPECT_EQ(covered.height, 480);
        const pid_t saver = run->saver();
        ASSERT_NE(saver, 0);
        if (cycle == 2)
            break;
        xdotool("key a");
        quietSince = system_clock::now();
        EXPECT_TRUE(windowGone(window)) << "input did not end the saver";
        EXPECT_TRUE(eventually(endWithinMs, [&] { return !processAlive(saver); }));
        ASSERT_TRUE(processAlive(run->pid())) << run->messages();
    }
    run->signal(SIGTERM); // while the saver shows
    EXPECT_EQ(run->waitExit(endWithinMs), 0) << run->messages();
    EXPECT_TRUE(run->nothingLeft(endWithinMs));
    EXPECT_EQ(outputsThatDrew(run->errorOutput(), 0), 2) << "one report a saver";
    EXPECT_EQ(sanitizerReport(run->errorOutput()), "");
}

TEST_F(X11WatcherTest, TheServerKilledWhileTheSaverShowsEndsBothWithStatus2) {
    auto run = watch(shortMinutes);
    ASSERT_NE(waitForSaverWindow(), 0u) << run->messages();
    display_.reset(); // the test's connection closes first: nothing of it dies with the server
    xvfb_->kill();
    EXPECT_EQ(run->waitExit(endWithinMs), 2) << run->messages();
    EXPECT_TRUE(run->nothingLeft(endWithinMs));
    EXPECT_EQ(sanitizerReport(run->errorOutput()), "");
}

TEST_F(X11WatcherTest, RefusesWithStatus6WhileAnXScreenSaverDaemonWatchesTheDisplay) {
    REQUIRE_SERVER(std::filesystem::exists("/usr/bin/xscreensaver"), "xscreensaver");
    ScratchDir home;
    ChildProcess daemon({"/usr/bin/xscreensaver", "-no-splash"},
                        {"HOME=" + home.path, "DISPLAY=" + xvfb_->display()});
    // The daemon marks the display a moment after its start: until then a
    // watcher runs, and is ended for the next try.
    std::string refusal;
    const bool refused = eventually(15000, [&] {
        auto run = watch(10);
        const std::optional<int> status = run->waitExit(1500);
        refusal = run->messages();
        return status == 6;
    });
    EXPECT_TRUE(refused) << refusal << daemon.errorOutput();
    EXPECT_NE(refusal.find("XScreenSaver"), std::string::npos) << refusal;
}

} // namespace
