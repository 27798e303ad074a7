// Whatever goes wrong, the run ends with a message and a defined status and
// the screen is given back.
#include <gtest/gtest.h>

#include "tests/host/x11/child_process.h"
#include "tests/host/x11/saver_command.h"
#include "tests/host/x11/test_display.h"

#include <filesystem>

namespace {

std::vector<std::string> fakeSaver(const std::string& behaviour,
                                   std::vector<std::string> args = {}) {
    std::vector<std::string> command = {FAKE_SAVER_BINARY, behaviour};
    command.insert(command.end(), args.begin(), args.end());
    return command;
}

// A display number with no server behind it.
int freeDisplayNumber() {
    for (int n = 150; n < 250; ++n) {
        if (!std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock") &&
            !std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)))
            return n;
    }
    return -1;
}

} // namespace

TEST(HostCommandLineErrors, PrintUsageAndExitWithStatusOne) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"-window-id"}, {"-window-id", "zz"}, {"--geometry", "big"}}) {
        ChildProcess saver(saverCommand(args));
        EXPECT_EQ(saver.waitExit(exitMs), 1) << args[0];
        EXPECT_NE(saver.errorOutput().find("usage:"), std::string::npos) << args[0];
    }
    ChildProcess help(saverCommand({"--help"}));
    EXPECT_EQ(help.waitExit(exitMs), 0);
    ChildProcess version(saverCommand({"--version"}));
    EXPECT_EQ(version.waitExit(exitMs), 0);
}

TEST(HostEnvironmentErrors, MissingWindowsAndDisplaysAreReportedNotDrawnOn) {
    TestDisplay display;
    Window gone = display.createWindow(10, 10);
    display.destroyWindow(gone);

    ChildProcess byId(saverCommand({"--window-id", hexId(gone)}));
    EXPECT_EQ(byId.waitExit(startupMs), 2);
    EXPECT_NE(byId.errorOutput().find("no window"), std::string::npos) << byId.errorOutput();

    ChildProcess badVariable(saverCommand({"--root"}), {"XSCREENSAVER_WINDOW=root"});
    EXPECT_EQ(badVariable.waitExit(startupMs), 2);
    EXPECT_NE(badVariable.errorOutput().find("XSCREENSAVER_WINDOW"), std::string::npos);

    ChildProcess noServer(saverCommand({}), {"DISPLAY=:" + std::to_string(freeDisplayNumber())});
    EXPECT_EQ(noServer.waitExit(startupMs), 2);
    EXPECT_NE(noServer.errorOutput().find("cannot open the X display"), std::string::npos);
}

TEST(HostEnvironmentErrors, ServerWithoutGlxGetsTheOpenGlModeMessageAndStatus255) {
    int number = freeDisplayNumber();
    ASSERT_GE(number, 0);
    std::string name = ":" + std::to_string(number);
    ChildProcess server({"/usr/bin/Xvfb", name, "-nolisten", "tcp", "-extension", "GLX"});
    ASSERT_TRUE(eventually(10000, [&] {
        return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number));
    }));

    ChildProcess saver(saverCommand({}), {"DISPLAY=" + name});
    EXPECT_EQ(saver.waitExit(startupMs), 255);
    EXPECT_NE(saver.errorOutput().find("Screen saver can't set an appropriate OpenGL mode"),
              std::string::npos)
        << saver.errorOutput();
}

TEST(SimulationErrors, AFailedSimulationEndsTheRunWithAMessageAndStatus3) {
    TestDisplay display;
    display.movePointer(300, 300);
    ChildProcess saver(fakeSaver("fail-after-10"));
    EXPECT_EQ(saver.waitExit(startupMs), 3);
    EXPECT_NE(saver.errorOutput().find("simulation stopped"), std::string::npos)
        << saver.errorOutput();
    EXPECT_EQ(display.waitForWindow("Veltrane", 0), 0u) << "window left behind";

    // In a hack too: the daemon's window stays, the process goes.
    Window window = display.createWindow(200, 200);
    ChildProcess hack(fakeSaver("fail-after-10", {"--window-id", hexId(window)}));
    EXPECT_EQ(hack.waitExit(startupMs), 3);
    display.destroyWindow(window);
}

TEST(SimulationErrors, FailuresToBuildOrTearDownTheAnimationAreNotReportedAsSuccess) {
    TestDisplay display;
    display.movePointer(300, 300);
    ChildProcess cannotBuild(fakeSaver("throw"));
    EXPECT_EQ(cannotBuild.waitExit(startupMs), 255);

    ChildProcess badTeardown(fakeSaver("bad-teardown"));
    ASSERT_NE(display.waitForWindow("Veltrane", startupMs), 0u);
    pressKey("space");
    EXPECT_EQ(badTeardown.waitExit(exitMs), 3);
    EXPECT_NE(badTeardown.errorOutput().find("shutting down"), std::string::npos);
}
