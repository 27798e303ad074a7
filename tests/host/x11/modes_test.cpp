// The saver as a person at a desktop runs it (a window or the whole screen,
// closed by any input) and as an XScreenSaver hack (drawing into a window that
// belongs to someone else, deaf to input, gone when the window or a signal
// says so).
#include <gtest/gtest.h>

#include "tests/host/x11/x11_test_support.h"

#include <filesystem>

TEST(WindowMode, DrawsAtTheRequestedSizeAndClosesOnInputOrFivePixelsOfTravelButNotFour) {
    TestDisplay display;
    XWindowAttributes screen = display.attributes(display.root());
    const std::string here = std::getenv("DISPLAY");
    const struct {
        std::vector<std::string> args;
        int width, height, x, y;
        std::string input; // for xdotool, or "travel", or "" for the window manager's close
        std::vector<std::string> environment;
    } cases[] = {
        {{}, 1024, 768, 0, 0, "key space", {}},
        {{"--geometry", "640x480"}, 640, 480, 0, 0, "click 1", {}},
        {{"--fullscreen"}, screen.width, screen.height, 0, 0, "key Escape", {}},
        {{}, 1024, 768, 0, 0, "", {}},
        {{}, 1024, 768, 0, 0, "travel", {}},
        // The peers' way to name the display and place the window.
        {{"-display", here, "-geometry", "400x300+50+40", "-window"},
         400,
         300,
         50,
         40,
         "key a",
         {"DISPLAY=:unusable"}},
        // Counted from the right and bottom edges; large enough to hold the
        // pointer, so that it has the keyboard.
        {{"-geometry", "1000x900-10-20"},
         1000,
         900,
         screen.width - 1010,
         screen.height - 920,
         "key b",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.empty() ? "window manager's close" : c.input);
        display.movePointer(300, 300); // inside where the window appears
        ChildProcess run(saver(c.args), c.environment);
        Window window = display.waitForWindow("Veltrane", startupMs);
        ASSERT_NE(window, 0u) << run.errorOutput();
        ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << "no frame drawn";
        XWindowAttributes shown = display.attributes(window);
        EXPECT_EQ(std::pair(shown.width, shown.height), std::pair(c.width, c.height));
        EXPECT_EQ(std::pair(shown.x, shown.y), std::pair(c.x, c.y));

        if (c.input == "travel") {
            display.movePointer(302, 298); // |2| + |-2|
            display.movePointer(304, 300); // |4| + 0
            EXPECT_FALSE(run.waitExit(settleMs)) << "closed on a 4-pixel move";
            display.movePointer(305, 300);
        } else if (c.input.empty()) {
            display.closeLikeAWindowManager(window);
        } else {
            xdotool(c.input);
        }
        EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
        EXPECT_EQ(display.attributes(window).width, 0) << "window left behind";
    }
}

TEST(HackMode, DrawsIntoTheGivenWindowIgnoresInputAndExitsWhenItIsDestroyed) {
    TestDisplay display;
    for (std::string way : {"-window-id", "-root with XSCREENSAVER_WINDOW", "settings preview"}) {
        SCOPED_TRACE(way);
        display.movePointer(100, 100);
        Window window = display.createWindow(400, 300);
        const std::string id = std::to_string(window);
        ChildProcess run =
            way == "-window-id" ? ChildProcess(saver({"-window-id", id}))
            : way == "settings preview"
                // As xscreensaver-settings starts a preview: both, and the
                // variable naming a window that is not the one to draw in.
                ? ChildProcess(saver({"--root", "--window-id", id}),
                               {"XSCREENSAVER_WINDOW=" + std::to_string(display.root())})
                : ChildProcess(saver({"-root", "-install", "-visual", "best", "-delay", "20000",
                                      "-no-fps", "-mono"}),
                               {"XSCREENSAVER_WINDOW=" + id});
        ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << run.errorOutput();

        xdotool("key space");
        xdotool("click 1");
        display.movePointer(300, 250);
        EXPECT_FALSE(run.waitExit(settleMs)) << "input closed a hack: " << run.errorOutput();

        display.destroyWindow(window);
        EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
    }
}

TEST(HackMode, ExitsCleanlyOnSigtermAndSigintAndLeavesTheWindowAlone) {
    TestDisplay display;
    for (int signal : {SIGTERM, SIGINT}) {
        // A fresh window each time: the last run's picture would pass for a
        // frame before the new process is ready for signals.
        Window window = display.createWindow(300, 200);
        ChildProcess run(saver({"--window-id", std::to_string(window)}));
        ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << run.errorOutput();
        run.signal(signal);
        EXPECT_EQ(run.waitExit(exitMs), 0) << "signal " << signal << ": " << run.errorOutput();
        EXPECT_NE(display.attributes(window).width, 0) << "a hack must not destroy its window";
        display.destroyWindow(window);
    }
}

// The daemon destroys the hack's window whenever it likes, often in the middle
// of a frame: the saver must end with status 0 every time, never abort.
TEST(HackMode, EndsCleanlyWhenItsWindowIsDestroyedAtAnyMomentOfItsRun) {
    TestDisplay display;
    for (int run = 0; run < 12; ++run) {
        Window window = display.createWindow(320, 240);
        ChildProcess saverRun(run % 2 ? saver({"--window-id", std::to_string(window)})
                                      : saver({"--root"}),
                              {"XSCREENSAVER_WINDOW=" + std::to_string(window)});
        // Every third run loses its window during start-up, before any frame.
        if (run % 3 != 0) {
            ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << saverRun.errorOutput();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(run * 53 % 400));
        display.destroyWindow(window);
        auto status = saverRun.waitExit(exitMs);
        // Destroyed before the saver first looked at it: "there is no window".
        if (status == 2) {
            EXPECT_NE(saverRun.errorOutput().find("no window"), std::string::npos);
        } else {
            EXPECT_EQ(status, 0) << "run " << run << ": " << saverRun.errorOutput();
        }
    }
}

// The settings tool's preview pane changes size with its dialog.
TEST(HackMode, FillsItsWindowAgainAfterTheWindowIsResized) {
    TestDisplay display;
    Window window = display.createWindow(200, 150);
    // The stand-in animation clears every frame to one colour.
    ChildProcess run(saver({"draw", "--window-id", std::to_string(window)}, FAKE_SAVER_BINARY));
    const unsigned long cleared = 0x3380cc;
    auto near = [&](int x, int y) {
        unsigned long p = display.pixel(window, x, y);
        return p != ~0UL && std::abs(static_cast<long>(p >> 16) - 0x33) < 4 &&
               std::abs(static_cast<long>(p & 0xff) - 0xcc) < 4;
    };
    ASSERT_TRUE(eventually(startupMs, [&] { return near(150, 100); })) << run.errorOutput();
    display.resizeWindow(window, 400, 300);
    EXPECT_TRUE(eventually(startupMs, [&] { return near(390, 290); }))
        << std::hex << display.pixel(window, 390, 290) << " not near " << cleared;
    display.destroyWindow(window);
    EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
}

TEST(FrameRateOverlay, AppearsInTheBottomLeftCornerOnlyWhenAsked) {
    TestDisplay display;
    for (bool asked : {false, true}) {
        Window window = display.createWindow(320, 240);
        std::vector<std::string> args = {"--window-id", std::to_string(window)};
        if (asked)
            args.push_back("-fps");
        ChildProcess run(saver(args));
        ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << run.errorOutput();
        // The left stroke of the "F" of "FPS:", two pixels wide at x 8 and 9,
        // 26 to 39 pixels above the bottom edge, white over a black shadow.
        bool white = eventually(asked ? startupMs : settleMs, [&] {
            return display.pixel(window, 8, 240 - 1 - 32) == 0xffffffUL;
        });
        EXPECT_EQ(white, asked);
        display.destroyWindow(window);
        EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
    }
}

namespace {
// True once `pid` runs `binary` (before that it is still the forked test).
bool runs(pid_t pid, const std::string& binary) {
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    return !error && exe == std::filesystem::canonical(binary, error);
}
// True if `pid` has a handler for `signal` (SigCgt in /proc).
bool catches(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}
} // namespace

// A daemon may end the hack at any moment of its start-up: opening the
// display, making the context, building the universe.
TEST(Signals, EndTheRunWithStatusZeroAtAnyMomentOfStartUp) {
    TestDisplay display;
    Window window = display.createWindow(200, 150);
    for (int delayMs : {0, 2, 5, 10, 20, 40, 80, 150, 300, 1000}) {
        ChildProcess run(saver({"--window-id", std::to_string(window)}));
        ASSERT_TRUE(eventually(startupMs, [&] { return runs(run.pid(), VELTRANE_BINARY); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        // Before the handler exists only the dynamic loader (or a sanitizer's
        // runtime) is running: nothing of the program can catch the signal.
        const bool caught = catches(run.pid(), SIGTERM);
        run.signal(SIGTERM);
        auto status = run.waitExit(exitMs);
        if (caught || delayMs == 1000) {
            EXPECT_EQ(status, 0) << delayMs << " ms: " << run.errorOutput();
        } else {
            EXPECT_TRUE(status == 0 || status == 128 + SIGTERM) << delayMs << " ms";
        }
    }
    display.destroyWindow(window);
}
