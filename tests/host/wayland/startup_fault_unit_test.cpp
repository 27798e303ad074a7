// Starting the Wayland host where no usable compositor is: a clear status,
// never a hang, and a termination signal still ends it with 0.
#include "host/wayland/wayland_saver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <wayland-server.h>

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

// A compositor that offers wl_compositor and wl_output but no xdg_wm_base,
// served on a thread of the test.
class ShelllessCompositor {
public:
    ShelllessCompositor() {
        display_ = wl_display_create();
        socket_ = wl_display_add_socket_auto(display_);
        wl_global_create(display_, &wl_compositor_interface, 4, nullptr, bindNothing);
        wl_global_create(display_, &wl_output_interface, 2, nullptr, bindNothing);
        thread_ = std::thread([this] { wl_display_run(display_); });
    }
    ~ShelllessCompositor() {
        wl_display_terminate(display_);
        thread_.join();
        wl_display_destroy(display_);
    }
    // Relative to $XDG_RUNTIME_DIR, as WAYLAND_DISPLAY may be.
    const char* socket() const { return socket_; }

private:
    static void bindNothing(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
        // A resource without requests: the client never gets as far as using it.
        wl_resource_create(client, &wl_compositor_interface, static_cast<int>(version), id);
    }
    wl_display* display_ = nullptr;
    const char* socket_ = nullptr;
    std::thread thread_;
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

TEST(WaylandStartup, NoCompositorAtTheNamedSocketIsAnEnvironmentError) {
    setenv("WAYLAND_DISPLAY", "/nonexistent/veltrane-wayland", 1);
    const std::optional<std::string> why = waylandCompositorFailure();
    ASSERT_TRUE(why);
    EXPECT_NE(why->find("\"/nonexistent/veltrane-wayland\""), std::string::npos) << *why;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runWaylandSaver(SaverRequest{}), ExitStatus::Environment);
    SaverRequest fullscreen;
    fullscreen.shape = SaverShape::FullScreen;
    EXPECT_EQ(runWaylandSaver(fullscreen), ExitStatus::Environment);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("\"/nonexistent/veltrane-wayland\""), std::string::npos) << said;
    setenv("WAYLAND_DISPLAY", "", 1);
    EXPECT_EQ(waylandCompositorFailure(), std::string()) << "empty counts as unset: not tried";
}

TEST(WaylandStartup, ASocketThatNeverAnswersIsGivenUpOnInsteadOfHangingTheStart) {
    SilentSocket silent;
    ASSERT_TRUE(silent.bound());
    setenv("WAYLAND_DISPLAY", silent.path().c_str(), 1);
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(waylandCompositorFailure());
    testing::internal::CaptureStderr();
    EXPECT_EQ(runWaylandSaver(SaverRequest{}), ExitStatus::Environment);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("does not answer"), std::string::npos) << said;
    EXPECT_LT(secondsSince(start), 30.0) << "two bounded waits";
}

TEST(WaylandStartup, ATerminationSignalDuringAStalledStartEndsItWithZero) {
    SilentSocket silent;
    ASSERT_TRUE(silent.bound());
    setenv("WAYLAND_DISPLAY", silent.path().c_str(), 1);
    for (bool fullscreen : {false, true}) {
        SaverRequest options;
        options.shape = fullscreen ? SaverShape::FullScreen : SaverShape::Window;
        const Clock::time_point start = Clock::now();
        std::thread daemon([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(getpid(), SIGTERM);
        });
        EXPECT_EQ(runWaylandSaver(options), ExitStatus::Ok) << "full screen: " << fullscreen;
        daemon.join();
        EXPECT_LT(secondsSince(start), 4.0) << "before the silence would have been given up on";
    }
}

TEST(WaylandStartup, ACompositorWithoutXdgShellIsReportedWithItsOwnStatus) {
    const std::string runtime = "/tmp/veltrane-runtime-" + std::to_string(getpid());
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    {
        ShelllessCompositor compositor;
        ASSERT_NE(compositor.socket(), nullptr);
        setenv("WAYLAND_DISPLAY", compositor.socket(), 1);
        EXPECT_FALSE(waylandCompositorFailure());
        testing::internal::CaptureStderr();
        EXPECT_EQ(runWaylandSaver(SaverRequest{}), ExitStatus::MissingProtocol);
        SaverRequest fullscreen;
        fullscreen.shape = SaverShape::FullScreen;
        EXPECT_EQ(runWaylandSaver(fullscreen), ExitStatus::MissingProtocol)
            << "said once by the parent, before any child";
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("xdg_wm_base"), std::string::npos) << said;
    }
    rmdir(runtime.c_str());
}
