// Opening a Wayland idle source where none can be had: one line saying why,
// never a hang, for the watcher to try the next source or report.
#include "host/idle/wayland_idle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <wayland-server.h>

namespace {
using namespace std::chrono;
constexpr auto period = seconds(1);

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
