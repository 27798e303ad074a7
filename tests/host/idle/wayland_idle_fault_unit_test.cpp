// Opening a Wayland idle source where none can be had: one line saying why,
// never a hang, for the watcher to try the next source or report.
#include "host/idle/wayland_idle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <wayland-server.h>

namespace {
using namespace std::chrono;
constexpr auto period = seconds(1);

double secondsSince(steady_clock::time_point start) {
    return duration<double>(steady_clock::now() - start).count();
}

// A socket that accepts connections and never says a word (a wedged server).
class SilentSocket {
public:
    SilentSocket() : path_("/tmp/veltrane-idle-silent-" + std::to_string(getpid())) {
        unlink(path_.c_str());
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        path_.copy(address.sun_path, sizeof address.sun_path - 1);
        bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(fd_, 4) == 0;
    }
    ~SilentSocket() {
        close(fd_);
        unlink(path_.c_str());
    }
    std::string path_;
    int fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
    bool bound_ = false;
};

// A compositor served on a thread of the test, offering `seats` seats and no
// idle protocol at all (as mutter).
class BareCompositor {
public:
    explicit BareCompositor(int seats) {
        runtime_ = "/tmp/veltrane-idle-runtime-" + std::to_string(getpid());
        mkdir(runtime_.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        display_ = wl_display_create();
        setenv("WAYLAND_DISPLAY", wl_display_add_socket_auto(display_), 1);
        for (int i = 0; i < seats; ++i)
            wl_global_create(display_, &wl_seat_interface, 1, nullptr, bindSeat);
        thread_ = std::thread([this] { wl_display_run(display_); });
    }
    ~BareCompositor() {
        wl_display_terminate(display_);
        thread_.join();
        wl_display_destroy(display_);
        rmdir(runtime_.c_str());
    }

private:
    static void bindSeat(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
        // No requests are implemented: the idle start sends none to a seat.
        wl_resource_create(client, &wl_seat_interface, static_cast<int>(version), id);
    }
    std::string runtime_;
    wl_display* display_ = nullptr;
    std::thread thread_;
};

std::string whyNone() {
    std::string why;
    EXPECT_EQ(openWaylandIdleSource(period, why), nullptr);
    return why;
}
} // namespace

TEST(WaylandIdleStart, NoSessionOrNothingListeningIsSaidNamingTheDisplay) {
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_NE(whyNone().find("WAYLAND_DISPLAY is not set"), std::string::npos);
    setenv("WAYLAND_DISPLAY", "", 1);
    EXPECT_NE(whyNone().find("WAYLAND_DISPLAY is not set"), std::string::npos) << "empty is unset";
    setenv("WAYLAND_DISPLAY", "/nonexistent/veltrane-wayland", 1);
    EXPECT_NE(whyNone().find("\"/nonexistent/veltrane-wayland\""), std::string::npos);
}

TEST(WaylandIdleStart, ASilentSocketIsGivenUpOnAndASignalCutsTheWaitShort) {
    SilentSocket silent;
    ASSERT_TRUE(silent.bound_);
    setenv("WAYLAND_DISPLAY", silent.path_.c_str(), 1);
    auto start = steady_clock::now();
    EXPECT_NE(whyNone().find("does not answer"), std::string::npos);
    EXPECT_LT(secondsSince(start), 20.0) << "one bounded wait of 5 s";

    int wake[2];
    ASSERT_EQ(pipe(wake), 0);
    std::thread signal([&] {
        std::this_thread::sleep_for(milliseconds(300));
        EXPECT_EQ(write(wake[1], "x", 1), 1);
    });
    start = steady_clock::now();
    std::string why;
    EXPECT_EQ(openWaylandIdleSource(period, why, wake[0]), nullptr);
    signal.join();
    EXPECT_LT(secondsSince(start), 4.0) << "before the silence would have been given up on";
    close(wake[0]);
    close(wake[1]);
}

TEST(WaylandIdleStart, ACompositorWithoutSeatOrIdleProtocolIsNamed) {
    {
        BareCompositor noSeat(0);
        EXPECT_NE(whyNone().find("offers no seat"), std::string::npos);
    }
    BareCompositor noProtocol(1);
    const std::string why = whyNone();
    EXPECT_NE(why.find("neither ext_idle_notifier_v1 nor org_kde_kwin_idle"), std::string::npos)
        << why;
}
