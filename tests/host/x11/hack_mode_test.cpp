// The saver as an XScreenSaver hack: drawing into a window that belongs to
// someone else, deaf to input, gone when the window or a signal says so.
#include <gtest/gtest.h>

#include "tests/host/x11/child_process.h"
#include "tests/host/x11/saver_command.h"
#include "tests/host/x11/test_display.h"

#include <csignal>

namespace {

class HackMode : public ::testing::Test {
protected:
    TestDisplay display;
    Window window = 0;

    void SetUp() override {
        display.movePointer(100, 100);
        window = display.createWindow(400, 300);
    }
    void TearDown() override {
        if (display.windowExists(window))
            display.destroyWindow(window);
    }
};

} // namespace

TEST_F(HackMode, DrawsIntoTheGivenWindowIgnoresInputAndExitsWhenItIsDestroyed) {
    ChildProcess saver(saverCommand({"-window-id", hexId(window)}));
    ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << saver.errorOutput();

    pressKey("space");
    clickButton(1);
    display.movePointer(300, 250);
    EXPECT_FALSE(saver.waitExit(settleMs)) << "input closed a hack: " << saver.errorOutput();

    display.destroyWindow(window);
    EXPECT_EQ(saver.waitExit(exitMs), 0) << saver.errorOutput();
}

TEST_F(HackMode, ExitsCleanlyOnSigtermAndSigint) {
    for (int signal : {SIGTERM, SIGINT}) {
        // A fresh window each time: the last run's picture would pass for a
        // frame before the new process is ready for signals.
        Window fresh = display.createWindow(300, 200);
        ChildProcess saver(saverCommand({"--window-id", std::to_string(fresh)}));
        ASSERT_TRUE(display.showsNonBlack(fresh, startupMs)) << saver.errorOutput();
        saver.signal(signal);
        EXPECT_EQ(saver.waitExit(exitMs), 0) << "signal " << signal << ": " << saver.errorOutput();
        EXPECT_TRUE(display.windowExists(fresh)) << "a hack must not destroy its host's window";
        display.destroyWindow(fresh);
    }
}

TEST_F(HackMode, RootDrawsIntoXScreenSaverWindowAndAcceptsTheStandardFlags) {
    ChildProcess saver(saverCommand({"-root", "-install", "-visual", "best", "-delay", "20000",
                                     "-no-fps", "--pair", "-mono"}),
                       {"XSCREENSAVER_WINDOW=" + std::to_string(window)});
    ASSERT_TRUE(display.showsNonBlack(window, startupMs)) << saver.errorOutput();
    display.destroyWindow(window);
    EXPECT_EQ(saver.waitExit(exitMs), 0) << saver.errorOutput();
}
