// Starting the Wayland host where no usable compositor is: a clear status,
// never a hang, and a termination signal still ends it with 0.
#include "host/wayland/wayland_mode.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A socket that accepts connections (the kernel's backlog does) and never
// says a word, as a wedged compositor or a stray server would.
class SilentSocket {
public:
    SilentSocket() {
        path_ = "/tmp/veltrane-silent-" + std::to_string(getpid()) + ".sock";
        unlink(path_.c_str());
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        path_.copy(address.sun_path, sizeof address.sun_path - 1);
        bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(fd_, 8) == 0;
    }
    ~SilentSocket() {
        close(fd_);
        unlink(path_.c_str());
    }
    bool bound() const { return bound_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    bool bound_ = false;
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

TEST(WaylandStartup, NoCompositorAtTheNamedSocketIsAnEnvironmentError) {
    setenv("WAYLAND_DISPLAY", "/nonexistent/veltrane-wayland", 1);
    EXPECT_FALSE(waylandCompositorAvailable());
    testing::internal::CaptureStderr();
    EXPECT_EQ(runWaylandMode(WaylandOptions{}), ExitStatus::Environment);
    WaylandOptions fullscreen;
    fullscreen.fullscreen = true;
    EXPECT_EQ(runWaylandMode(fullscreen), ExitStatus::Environment);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("\"/nonexistent/veltrane-wayland\""), std::string::npos) << said;
    setenv("WAYLAND_DISPLAY", "", 1);
    EXPECT_FALSE(waylandCompositorAvailable()) << "empty counts as unset";
}

TEST(WaylandStartup, ASocketThatNeverAnswersIsGivenUpOnInsteadOfHangingTheStart) {
    SilentSocket silent;
    ASSERT_TRUE(silent.bound());
    setenv("WAYLAND_DISPLAY", silent.path().c_str(), 1);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(waylandCompositorAvailable());
    testing::internal::CaptureStderr();
    EXPECT_EQ(runWaylandMode(WaylandOptions{}), ExitStatus::Environment);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("does not answer"), std::string::npos) << said;
    EXPECT_LT(secondsSince(start), 30.0) << "two bounded waits";
}

TEST(WaylandStartup, ATerminationSignalDuringAStalledStartEndsItWithZero) {
    SilentSocket silent;
    ASSERT_TRUE(silent.bound());
    setenv("WAYLAND_DISPLAY", silent.path().c_str(), 1);
    for (bool fullscreen : {false, true}) {
        WaylandOptions options;
        options.fullscreen = fullscreen;
        const Clock::time_point start = Clock::now();
        std::thread daemon([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(getpid(), SIGTERM);
        });
        EXPECT_EQ(runWaylandMode(options), ExitStatus::Ok) << "full screen: " << fullscreen;
        daemon.join();
        EXPECT_LT(secondsSince(start), 4.0) << "before the silence would have been given up on";
    }
}
