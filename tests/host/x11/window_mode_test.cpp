// The saver as a person at a desktop runs it: a window or the whole screen,
// closed by any input.
#include <gtest/gtest.h>

#include "tests/host/x11/child_process.h"
#include "tests/host/x11/saver_command.h"
#include "tests/host/x11/test_display.h"

#include <chrono>

namespace {

class WindowMode : public ::testing::Test {
protected:
    TestDisplay display;

    // Starts the saver with the pointer resting at (300, 300), inside where
    // the window appears, and waits until it draws.
    Window start(ChildProcess& saver, const std::string& title = "Veltrane") {
        Window window = display.waitForWindow(title, startupMs);
        EXPECT_NE(window, 0u) << saver.errorOutput();
        if (window) {
            EXPECT_TRUE(display.showsNonBlack(window, startupMs)) << "no frame drawn";
        }
        return window;
    }
    void SetUp() override { display.movePointer(300, 300); }
};

} // namespace

TEST_F(WindowMode, OpensA1024By768WindowThatDrawsAndClosesOnAKey) {
    ChildProcess saver(saverCommand({}));
    auto began = std::chrono::steady_clock::now();
    Window window = start(saver);
    ASSERT_NE(window, 0u);
    auto firstFrame = std::chrono::steady_clock::now() - began;
    RecordProperty("first_frame_ms",
                   static_cast<int>(
                       std::chrono::duration_cast<std::chrono::milliseconds>(firstFrame).count()));
    EXPECT_EQ(display.width(window), 1024);
    EXPECT_EQ(display.height(window), 768);

    pressKey("space");
    EXPECT_EQ(saver.waitExit(exitMs), 0) << saver.errorOutput();
}

TEST_F(WindowMode, MouseTravelOfFourPixelsKeepsItOpenAndFiveClosesIt) {
    ChildProcess saver(saverCommand({}));
    ASSERT_NE(start(saver), 0u);

    display.movePointer(302, 298); // |2| + |-2|
    display.movePointer(304, 300); // |4| + 0
    EXPECT_FALSE(saver.waitExit(settleMs)) << "closed on a 4-pixel move";
    display.movePointer(305, 300);
    EXPECT_EQ(saver.waitExit(exitMs), 0) << saver.errorOutput();
}

TEST_F(WindowMode, ButtonPressClosesAWindowOfTheRequestedSize) {
    ChildProcess saver(saverCommand({"--geometry", "640x480"}));
    Window window = start(saver);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(display.width(window), 640);
    EXPECT_EQ(display.height(window), 480);

    clickButton(1);
    EXPECT_EQ(saver.waitExit(exitMs), 0) << saver.errorOutput();
}

TEST_F(WindowMode, WindowManagersCloseEndsIt) {
    ChildProcess saver(saverCommand({}));
    Window window = start(saver);
    ASSERT_NE(window, 0u);

    sendWindowManagerClose(display.get(), window);
    EXPECT_EQ(saver.waitExit(exitMs), 0) << saver.errorOutput();
    EXPECT_FALSE(display.windowExists(window));
}

TEST_F(WindowMode, FullScreenCoversTheScreenAndClosesOnAKey) {
    ChildProcess saver(saverCommand({"--fullscreen"}));
    Window window = start(saver);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(display.width(window), DisplayWidth(display.get(), DefaultScreen(display.get())));
    EXPECT_EQ(display.height(window), DisplayHeight(display.get(), DefaultScreen(display.get())));

    pressKey("Escape");
    EXPECT_EQ(saver.waitExit(exitMs), 0) << saver.errorOutput();
}
