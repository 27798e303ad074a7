// The saver as a person at a desktop runs it (a window or the whole screen,
// closed by any input) and as an XScreenSaver hack (drawing into a window that
// belongs to someone else, deaf to input, gone when the window or a signal
// says so).
#include <gtest/gtest.h>

#include "tests/host/x11/x11_test_support.h"

TEST(WindowMode, DrawsAtTheRequestedSizeAndClosesOnInputOrFivePixelsOfTravelButNotFour) {
    TestDisplay display;
    XWindowAttributes screen = display.attributes(display.root());
    const struct {
        std::vector<std::string> args;
        int width, height;
        std::string input; // for xdotool, or "travel", or "" for the window manager's close
    } cases[] = {
        {{}, 1024, 768, "key space"},
        {{"--geometry", "640x480"}, 640, 480, "click 1"},
        {{"--fullscreen"}, screen.width, screen.height, "key Escape"},
        {{}, 1024, 768, ""},
        {{}, 1024, 768, "travel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.empty() ? "window manager's close" : c.input);
        display.movePointer(300, 300); // inside where the window appears
        ChildProcess run(saver(c.args));
        Window window = display.waitForWindow("Veltrane", startupMs);
        ASSERT_NE(window, 0u) << run.errorOutput();
        ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << "no frame drawn";
        XWindowAttributes shown = display.attributes(window);
        EXPECT_EQ(std::pair(shown.width, shown.height), std::pair(c.width, c.height));

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
    for (bool byVariable : {false, true}) {
        SCOPED_TRACE(byVariable ? "-root with XSCREENSAVER_WINDOW" : "-window-id");
        display.movePointer(100, 100);
        Window window = display.createWindow(400, 300);
        ChildProcess run = byVariable
                               ? ChildProcess(saver({"-root", "-install", "-visual", "best",
                                                     "-delay", "20000", "-no-fps", "-mono"}),
                                              {"XSCREENSAVER_WINDOW=" + std::to_string(window)})
                               : ChildProcess(saver({"-window-id", std::to_string(window)}));
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
