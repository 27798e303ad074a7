// The full-screen saver on a real compositor: every output covered, outputs
// added while it runs covered too, one input ending all, started by an idle
// daemon; and the ways a run meets a missing or dying compositor. Each test
// that adds outputs or kills the compositor runs a sway of its own.
#include <gtest/gtest.h>

#include "tests/host/wayland/wayland_test_support.h"

#include <algorithm>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>

namespace {
std::vector<std::string> saver(std::vector<std::string> args) {
    args.insert(args.begin(), {VELTRANE_BINARY, "--wayland"});
    return args;
}

std::set<std::string> outputsOf(const std::vector<SaverSurface>& surfaces) {
    std::set<std::string> names;
    for (auto& s : surfaces)
        names.insert(s.output);
    return names;
}

// True once nothing of the run's process group is left.
bool groupGone(pid_t group) {
    return eventually(exitMs, [&] { return processesInGroup(group).empty(); });
}
} // namespace

TEST(WaylandFullScreen, CoversBothOutputsAndOneKeyEndsEveryProcess) {
    auto compositor = Compositor::makePrivate();
    REQUIRE_COMPOSITOR(compositor);
    const std::string second = compositor->createOutput();
    ASSERT_FALSE(second.empty());
    ChildProcess run(saver({"--fullscreen"}), compositor->environment());
    auto surfaces = waitForSurfaces(*compositor, 2, true, startupMs);
    ASSERT_EQ(surfaces.size(), 2u) << run.errorOutput();
    EXPECT_EQ(outputsOf(surfaces), (std::set<std::string>{"HEADLESS-1", second}));
    EXPECT_NE(surfaces[0].pid, surfaces[1].pid) << "one process per output";
    // Each covers its whole output once it has followed the configure.
    EXPECT_TRUE(eventually(startupMs,
                           [&] {
                               surfaces = compositor->saverSurfaces();
                               return std::all_of(surfaces.begin(), surfaces.end(), [](auto& s) {
                                   return s.width == 1280 && s.height == 1024;
                               });
                           }))
        << surfaces[0].output << " " << surfaces[0].width << "x" << surfaces[0].height << ", "
        << surfaces[1].output << " " << surfaces[1].width << "x" << surfaces[1].height;

    compositor->typeKey();
    EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
    EXPECT_TRUE(groupGone(run.pid())) << "a process outlived the run";
    EXPECT_TRUE(compositor->saverSurfaces().empty());
}

TEST(WaylandFullScreen, CoversAnOutputAddedWhileItRunsAndEndsAllOnSigterm) {
    auto compositor = Compositor::makePrivate();
    REQUIRE_COMPOSITOR(compositor);
    ChildProcess run(saver({"--fullscreen"}), compositor->environment());
    ASSERT_EQ(waitForSurfaces(*compositor, 1, true, startupMs).size(), 1u) << run.errorOutput();

    const std::string added = compositor->createOutput();
    ASSERT_FALSE(added.empty());
    auto surfaces = waitForSurfaces(*compositor, 2, true, startupMs);
    ASSERT_EQ(surfaces.size(), 2u) << run.errorOutput();
    EXPECT_EQ(outputsOf(surfaces).count(added), 1u);
    // Its first frames may still be nearly black (the light fades in).
    EXPECT_TRUE(
        eventually(startupMs, [&] { return compositor->captureOutput(added).litPixels() > 20; }));

    // A session manager ends the parent; the children go with it.
    run.signal(SIGTERM);
    EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
    EXPECT_TRUE(groupGone(run.pid()));
}

// As a user's sway config would run it: nothing for a second of idle, then the
// saver; the next key ends it (swayidle would start it again after another
// second, so the test looks at the one process it saw).
TEST(WaylandFullScreen, SwayidleStartsItAfterASecondOfIdleAndAKeyEndsIt) {
    auto compositor = Compositor::makePrivate();
    REQUIRE_COMPOSITOR(compositor);
    ChildProcess idle({"/usr/bin/swayidle", "-w", "timeout", "1",
                       shellQuoted(VELTRANE_BINARY) + " --wayland --fullscreen"},
                      compositor->environment());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(compositor->saverSurfaces().empty()) << "up before the idle time";
    auto surfaces = waitForSurfaces(*compositor, 1, true, startupMs);
    ASSERT_EQ(surfaces.size(), 1u) << idle.errorOutput();

    compositor->typeKey();
    EXPECT_TRUE(eventually(exitMs, [&] { return !processAlive(surfaces[0].pid); }))
        << idle.errorOutput();
}

// SIGKILL to sway while frames are being drawn: status 2 at once, no crash,
// no hang, nothing left running, in either mode.
TEST(WaylandFaults, CompositorKilledMidFrameEndsTheRunWithStatusTwoAndNothingLeft) {
    for (bool fullscreen : {false, true}) {
        for (int delayMs : {0, 350}) {
            SCOPED_TRACE((fullscreen ? "full screen, " : "window, ") + std::to_string(delayMs));
            auto compositor = Compositor::makePrivate();
            REQUIRE_COMPOSITOR(compositor);
            if (fullscreen) {
                ASSERT_FALSE(compositor->createOutput().empty());
            }
            ChildProcess run(saver(fullscreen ? std::vector<std::string>{"--fullscreen"}
                                              : std::vector<std::string>{}),
                             compositor->environment());
            ASSERT_EQ(
                waitForSurfaces(*compositor, fullscreen ? 2 : 1, fullscreen, startupMs).size(),
                fullscreen ? 2u : 1u)
                << run.errorOutput();
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            compositor->kill();
            EXPECT_EQ(run.waitExit(exitMs), 2) << run.errorOutput();
            EXPECT_TRUE(groupGone(run.pid()));
            EXPECT_EQ(run.errorOutput().find("Sanitizer"), std::string::npos) << run.errorOutput();
        }
    }
}

namespace {
// A Unix socket that accepts one connection and hangs up at once: something
// answers at the path, but it is no compositor.
class HangingUpSocket {
public:
    HangingUpSocket() : path_("/tmp/veltrane-not-wayland-" + std::to_string(getpid())) {
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path_.copy(address.sun_path, sizeof address.sun_path - 1);
        unlink(path_.c_str());
        bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(fd_, 4);
        server_ = std::thread([this] {
            for (int client; (client = accept(fd_, nullptr, nullptr)) >= 0;)
                close(client);
        });
    }
    ~HangingUpSocket() {
        shutdown(fd_, SHUT_RDWR);
        close(fd_);
        server_.join();
        unlink(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    std::thread server_;
};
} // namespace

TEST(WaylandFaults, NoOrAnUnusableCompositorEndsWithStatusTwoAndAMessageNamingIt) {
    HangingUpSocket notWayland;
    const struct {
        std::string display; // "" for none set
        std::string named;   // what the message must name
    } cases[] = {
        {"", "WAYLAND_DISPLAY"},
        {"/tmp/veltrane-no-such-compositor", "/tmp/veltrane-no-such-compositor"},
        {"/dev/null", "/dev/null"},
        {notWayland.path(), notWayland.path()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.display.empty() ? "unset" : c.display);
        ChildProcess run(saver({}),
                         {c.display.empty() ? "WAYLAND_DISPLAY" : "WAYLAND_DISPLAY=" + c.display});
        EXPECT_EQ(run.waitExit(exitMs), 2) << run.errorOutput();
        EXPECT_NE(run.errorOutput().find(c.named), std::string::npos) << run.errorOutput();
    }
}
