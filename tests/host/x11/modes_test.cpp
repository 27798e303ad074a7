// The saver as a person at a desktop runs it (a window or the whole screen,
// closed by any input) and as an XScreenSaver hack (drawing into a window that
// belongs to someone else, deaf to input, gone when the window or a signal
// says so).
#include <gtest/gtest.h>

#include "tests/host/frame_counts.h"
#include "tests/host/x11/x11_test_support.h"

#include <filesystem>
#include <iterator>
#include <regex>
#include <tuple>

namespace {
std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}
std::vector<std::string> onWindow(Window window, const std::string& more = "") {
    return saver(words("--window-id " + std::to_string(window) + " " + more));
}
} // namespace

TEST(WindowMode, DrawsAtTheRequestedSizeAndClosesOnInputOrFivePixelsOfTravelButNotFour) {
    REQUIRE_X_DISPLAY();
    TestDisplay display;
    XWindowAttributes screen = display.attributes(display.root());
    const std::string here = std::getenv("DISPLAY");
    // Counted from the right and bottom edges: on screen whatever its size,
    // and large enough to hold the pointer at (300, 300), so that it has the
    // keyboard.
    const int fromEdgesWidth = screen.width - 200;
    const int fromEdgesHeight = screen.height - 200;
    const std::string fromEdges =
        std::to_string(fromEdgesWidth) + "x" + std::to_string(fromEdgesHeight) + "-10-20";
    const struct {
        std::string args;
        int width, height, x, y;
        std::string input; // for xdotool, or "travel", or "" for the window manager's close
        std::string environment;
    } cases[] = {
        {"", 1024, 768, 0, 0, "key space", ""},
        {"--geometry 640x480", 640, 480, 0, 0, "click 1", ""},
        {"--fullscreen", screen.width, screen.height, 0, 0, "key Escape", ""},
        {"", 1024, 768, 0, 0, "", ""},
        {"", 1024, 768, 0, 0, "travel", ""},
        // The peers' way to name the display and place the window.
        {"-display " + here + " -geometry 400x300+50+40 -window", 400, 300, 50, 40, "key a",
         "DISPLAY=:unusable"},
        {"-geometry " + fromEdges, fromEdgesWidth, fromEdgesHeight, 190, 180, "key b", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.empty() ? "window manager's close" : c.input);
        display.movePointer(300, 300); // inside where the window appears
        ChildProcess run(saver(words(c.args)), words(c.environment));
        Window window = display.waitForWindow("Veltrane", startupMs);
        ASSERT_NE(window, 0u) << run.errorOutput();
        ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << "no frame drawn";
        XWindowAttributes shown = display.attributes(window);
        EXPECT_EQ(std::tuple(shown.width, shown.height, shown.x, shown.y),
                  std::tuple(c.width, c.height, c.x, c.y));
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

// Ended by its window's destruction (signal 0) or by a signal, which must
// leave the window alone. The frame-rate overlay's "F" (its left stroke at x 8
// and 9, 26 to 39 pixels above the bottom edge) shows only when asked.
TEST(HackMode, DrawsIntoTheGivenWindowIgnoresInputAndExitsOnDestructionOrSignal) {
    REQUIRE_X_DISPLAY();
    TestDisplay display;
    const struct {
        std::string way;
        int signal;
        bool fps;
    } cases[] = {{"-window-id", 0, false},
                 {"-window-id", SIGTERM, true},
                 {"-root with XSCREENSAVER_WINDOW", SIGINT, false},
                 {"settings preview", 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way + " ended by " + std::to_string(c.signal));
        display.movePointer(100, 100);
        // A fresh window each time: the last run's picture would pass for a
        // frame before the new process is ready for signals.
        Window window = display.createWindow(400, 300);
        const std::string id = std::to_string(window), fps = c.fps ? " -fps" : "";
        ChildProcess run =
            c.way == "-window-id" ? ChildProcess(onWindow(window, fps))
            : c.way == "settings preview"
                // As xscreensaver-settings starts a preview: both, and the
                // variable naming a window that is not the one to draw in.
                ? ChildProcess(saver(words("--root --window-id " + id + fps)),
                               {"XSCREENSAVER_WINDOW=" + std::to_string(display.root())})
                : ChildProcess(
                      saver(words("-root -install -visual best -delay 20000 -no-fps -mono")),
                      {"XSCREENSAVER_WINDOW=" + id});
        ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << run.errorOutput();
        EXPECT_EQ(eventually(c.fps ? startupMs : settleMs,
                             [&] { return display.pixel(window, 8, 300 - 1 - 32) == 0xffffffUL; }),
                  c.fps);

        xdotool("key space");
        xdotool("click 1");
        display.movePointer(300, 250);
        EXPECT_FALSE(run.waitExit(settleMs)) << "input closed a hack: " << run.errorOutput();

        c.signal != 0 ? run.signal(c.signal) : display.destroyWindow(window);
        EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
        EXPECT_EQ(display.attributes(window).width != 0, c.signal != 0) << "only signals keep it";
        display.destroyWindow(window);
    }
}

// The daemon destroys the hack's window whenever it likes, often in the middle
// of a frame: the saver must end with status 0 every time, never abort.
TEST(HackMode, EndsCleanlyWhenItsWindowIsDestroyedAtAnyMomentOfItsRun) {
    REQUIRE_X_DISPLAY();
    TestDisplay display;
    for (int run = 0; run < 12; ++run) {
        Window window = display.createWindow(320, 240);
        ChildProcess saverRun(run % 2 ? onWindow(window) : saver({"--root"}),
                              {"XSCREENSAVER_WINDOW=" + std::to_string(window)});
        // Every third run loses its window during start-up, before any frame.
        if (run % 3 != 0) {
            ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << saverRun.errorOutput();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(run * 53 % 400));
        display.destroyWindow(window);
        auto status = saverRun.waitExit(exitMs);
        // Destroyed before the saver first looked at it: "there is no window".
        EXPECT_TRUE(status == 0 ||
                    (status == 2 && saverRun.errorOutput().find("no window") != std::string::npos))
            << "run " << run << ": " << saverRun.errorOutput();
    }
}

// The settings tool's preview pane changes size with its dialog.
TEST(HackMode, FillsItsWindowAgainAfterTheWindowIsResized) {
    REQUIRE_X_DISPLAY();
    TestDisplay display;
    Window window = display.createWindow(200, 150);
    // The stand-in animation clears every frame to one colour, 0x3380cc.
    ChildProcess run(saver({"draw", "--window-id", std::to_string(window)}, FAKE_SAVER_BINARY));
    auto near = [&](int x, int y) {
        unsigned long p = display.pixel(window, x, y);
        return p != ~0UL && std::abs(static_cast<long>(p >> 16) - 0x33) < 4 &&
               std::abs(static_cast<long>(p & 0xff) - 0xcc) < 4;
    };
    ASSERT_TRUE(eventually(startupMs, [&] { return near(150, 100); })) << run.errorOutput();
    display.resizeWindow(window, 400, 300);
    EXPECT_TRUE(eventually(startupMs, [&] { return near(390, 290); }))
        << std::hex << display.pixel(window, 390, 290);
    display.destroyWindow(window);
    EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
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
    REQUIRE_X_DISPLAY();
    TestDisplay display;
    Window window = display.createWindow(200, 150);
    for (int delayMs : {0, 2, 5, 10, 20, 40, 80, 150, 300, 1000}) {
        ChildProcess run(onWindow(window));
        ASSERT_TRUE(eventually(startupMs, [&] { return runs(run.pid(), VELTRANE_BINARY); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        // Before the handler exists only the dynamic loader (or a sanitizer's
        // runtime) is running: nothing of the program can catch the signal.
        const bool caught = catches(run.pid(), SIGTERM);
        run.signal(SIGTERM);
        auto status = run.waitExit(exitMs);
        EXPECT_TRUE(status == 0 || (!caught && delayMs < 1000 && status == 128 + SIGTERM))
            << delayMs << " ms: " << run.errorOutput();
    }
    display.destroyWindow(window);
}

// A window another window covers whole draws nothing until it is shown again,
// then draws at once; the frame report counts the frames it did not draw.
TEST(WindowMode, DrawsNoFrameWhileAnotherWindowCoversItWhole) {
    REQUIRE_X_DISPLAY();
    TestDisplay display;
    display.movePointer(100, 100);
    ChildProcess run(saver(words("--geometry 320x240+0+0")), {"VELTRANE_REPORT_FRAMES=1"});
    Window window = display.waitForWindow("Veltrane", startupMs);
    ASSERT_NE(window, 0u) << run.errorOutput();
    ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << "no frame drawn";
    Window cover = display.createWindow(400, 300); // black, at the origin
    std::this_thread::sleep_for(std::chrono::seconds(3));
    display.destroyWindow(cover);
    EXPECT_TRUE(display.showsNonBlack(window, startupMs)) << "not drawn again once shown";
    run.signal(SIGTERM);
    ASSERT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
    expectThreeUnseenSeconds(run.errorOutput());
}
