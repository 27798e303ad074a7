// Whatever goes wrong, the run ends with a message and a defined status and
// the screen is given back.
#include <gtest/gtest.h>

#include "tests/host/x11/x11_test_support.h"

#include <filesystem>

namespace {
// A display number with no server behind it.
std::string freeDisplay() {
    for (int n = 150;; ++n)
        if (!std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock") &&
            !std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)))
            return ":" + std::to_string(n);
}
} // namespace

TEST(HostCommandLineErrors, PrintUsageAndExitWithStatusOne) {
    // The parser's cases are in tests/host/app; here, that each kind reaches the exit status.
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"-window-id"}, {"-window-id", "zz"}, {"-geometry", "0x0+1+1"}}) {
        ChildProcess run(saver(args));
        EXPECT_EQ(run.waitExit(exitMs), 1) << args[0];
        EXPECT_NE(run.errorOutput().find("usage:"), std::string::npos) << args[0];
    }
    for (const char* harmless : {"--help", "--version"})
        EXPECT_EQ(ChildProcess({VELTRANE_BINARY, harmless}).waitExit(exitMs), 0) << harmless;
}

TEST(HostEnvironmentErrors, MissingWindowsDisplaysOrGlxAreReportedWithStatusTwoOr255) {
    REQUIRE_X_DISPLAY();
    TestDisplay display;
    Window gone = display.createWindow(10, 10);
    display.destroyWindow(gone);
    std::string noGlx = freeDisplay();
    ChildProcess server({"/usr/bin/Xvfb", noGlx, "-nolisten", "tcp", "-extension", "GLX"});
    ASSERT_TRUE(eventually(
        10000, [&] { return std::filesystem::exists("/tmp/.X11-unix/X" + noGlx.substr(1)); }));
    const struct {
        std::vector<std::string> args, environment;
        int status;
        std::string message;
    } cases[] = {
        {{"--window-id", std::to_string(gone)}, {}, 2, "no window"},
        {{"--root"}, {"XSCREENSAVER_WINDOW=root"}, 2, "XSCREENSAVER_WINDOW"},
        {{}, {"DISPLAY=" + freeDisplay()}, 2, "cannot open the X display"},
        {{"-display", freeDisplay()}, {}, 2, "cannot open the X display \"" + freeDisplay()},
        {{}, {"DISPLAY=" + noGlx}, 255, "Screen saver can't set an appropriate OpenGL mode"},
        // A compositor that does not answer and no X display: both are named.
        {{},
         {"WAYLAND_DISPLAY=/nonexistent/veltrane-wayland", "DISPLAY=" + freeDisplay()},
         2,
         "\"/nonexistent/veltrane-wayland\""},
        {{},
         {"WAYLAND_DISPLAY=/nonexistent/veltrane-wayland", "DISPLAY=" + freeDisplay()},
         2,
         "cannot open the X display \"" + freeDisplay()},
    };
    for (const auto& c : cases) {
        ChildProcess run(saver(c.args), c.environment);
        EXPECT_EQ(run.waitExit(startupMs), c.status) << c.message;
        EXPECT_NE(run.errorOutput().find(c.message), std::string::npos) << run.errorOutput();
    }
    server.signal(SIGTERM); // so it removes its lock and socket
    server.waitExit(exitMs);
}

// The host with a stand-in animation that fails on cue.
TEST(SimulationErrors, FailuresOfTheAnimationEndTheRunWithAMessageAndANonZeroStatus) {
    REQUIRE_X_DISPLAY();
    TestDisplay display;
    display.movePointer(300, 300);
    Window window = display.createWindow(200, 200);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"fail-after-10"}, 3, "internal error: the fake animation gave up"},
        // In a hack too: the daemon's window stays, the process goes.
        {{"fail-after-10", "--window-id", std::to_string(window)}, 3, "simulation stopped"},
        // An error escaping the animation is the saver's fault, not a missing GL mode.
        {{"throw"}, 3, "unexpected error (cannot build)"},
        // A context that cannot be bound would leave the screen black for good.
        {{"cannot-draw"}, 255, "Screen saver can't set an appropriate OpenGL mode"},
    };
    for (const auto& c : cases) {
        ChildProcess run(saver(c.args, FAKE_SAVER_BINARY));
        EXPECT_EQ(run.waitExit(startupMs), c.status) << c.args.back();
        EXPECT_NE(run.errorOutput().find(c.message), std::string::npos) << run.errorOutput();
    }
    EXPECT_EQ(display.waitForWindow("Veltrane", 0), 0u) << "window left behind";

    ChildProcess badTeardown(saver({"bad-teardown"}, FAKE_SAVER_BINARY));
    ASSERT_NE(display.waitForWindow("Veltrane", startupMs), 0u);
    xdotool("key space");
    EXPECT_EQ(badTeardown.waitExit(exitMs), 3);
    EXPECT_NE(badTeardown.errorOutput().find("shutting down"), std::string::npos);
}

// A server killed while the saver starts up (connecting, setting up GLX,
// making its window and context) ends the run with status 2, never a signal.
TEST(HostEnvironmentErrors, AServerKilledDuringStartUpEndsTheRunWithStatusTwo) {
    REQUIRE_X_DISPLAY();
    for (int delayMs : {5, 10, 15, 20, 25, 30, 40, 50, 70, 100}) {
        std::string name = freeDisplay();
        const std::string socket = "/tmp/.X11-unix/X" + name.substr(1);
        ChildProcess server({"/usr/bin/Xvfb", name, "-nolisten", "tcp", "-noreset"});
        ASSERT_TRUE(eventually(10000, [&] { return std::filesystem::exists(socket); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // accepting connections
        ChildProcess run(saver({"--geometry", "320x240"}), {"DISPLAY=" + name});
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        server.signal(SIGKILL);
        server.waitExit(exitMs);
        EXPECT_EQ(run.waitExit(exitMs), 2) << delayMs << " ms: " << run.errorOutput();
        // What the killed server leaves behind.
        std::filesystem::remove(socket);
        std::filesystem::remove("/tmp/.X" + name.substr(1) + "-lock");
    }
}
