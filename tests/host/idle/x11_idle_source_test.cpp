// The X11 idle source on an Xvfb of each test's own: input through XTest
// (xdotool), heartbeats and suspensions from a client of the test, the real
// XScreenSaver daemon, and the server killed.
#include <gtest/gtest.h>

#include "host/idle/x11_idle_source.h"
#include "tests/host/child_process.h"
#include "tests/host/idle/idle_source_driving.h"
#include "tests/host/idle/private_xvfb.h"

#include <X11/extensions/scrnsaver.h>
#include <atomic>
#include <filesystem>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto period = 1000ms;
// Measured from before the input; the server's clock and ours may differ a little.
constexpr auto notBefore = 950ms;
// Polled once a second: a change shows within two seconds; generous bounds.
constexpr int idleWithinMs = 6000;
constexpr int activeWithinMs = 4000;

class X11IdleSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_SERVER(PrivateXvfb::installed(), "Xvfb");
        xvfb_ = std::make_unique<PrivateXvfb>();
        ASSERT_FALSE(xvfb_->display().empty()) << "Xvfb did not start";
        client_ = XOpenDisplay(xvfb_->display().c_str());
        ASSERT_TRUE(client_) << "cannot open " << xvfb_->display();
    }
    void TearDown() override {
        if (client_)
            XCloseDisplay(client_);
    }
    std::unique_ptr<IdleSource> makeSource(std::chrono::milliseconds length = period) {
        std::string reason;
        auto source = X11IdleSource::create(length, reason, xvfb_->display().c_str());
        EXPECT_TRUE(source) << reason;
        return source;
    }
    void xdotool(const std::string& arguments) {
        ASSERT_EQ(std::system(("DISPLAY=" + xvfb_->display() + " xdotool " + arguments).c_str()),
                  0);
    }

    std::unique_ptr<PrivateXvfb> xvfb_;
    Display* client_ = nullptr;
};

} // namespace

TEST_F(X11IdleSourceTest, ResetScreenSaverHeartbeatsKeepItActive) {
    auto source = makeSource();
    ASSERT_TRUE(source);
    std::atomic<bool> beating{true};
    std::thread heart([&] {
        Display* player = XOpenDisplay(xvfb_->display().c_str());
        while (player && beating) {
            XResetScreenSaver(player);
            XSync(player, False);
            std::this_thread::sleep_for(250ms);
        }
        if (player)
            XCloseDisplay(player);
    });
    const DriveResult watched = drive(*source, 3000, isIdle);
    beating = false;
    heart.join();
    EXPECT_FALSE(watched.reached) << "idle despite heartbeats";
    const auto lastBeat = Clock::now();
    ASSERT_TRUE(drive(*source, idleWithinMs, isIdle).reached);
    EXPECT_GE(since(lastBeat), period - 300ms); // the last beat came before the join
}

TEST_F(X11IdleSourceTest, ASuspendedServerSaverKeepsItActiveOncePastTheServerTimeout) {
    // The server's own saver after one second; a client suspends it.
    XSetScreenSaver(client_, 1, 0, DefaultBlanking, DefaultExposures);
    XScreenSaverSuspend(client_, True);
    XResetScreenSaver(client_);
    XSync(client_, False);
    auto source = makeSource();
    ASSERT_TRUE(source);
    EXPECT_FALSE(drive(*source, 4000, isIdle).reached) << "idle while suspended";

    // Released (which the server counts as activity): idle once the
    // server's own saver has come on.
    XScreenSaverSuspend(client_, False);
    XSync(client_, False);
    const auto releasedAt = Clock::now();
    ASSERT_TRUE(drive(*source, idleWithinMs, isIdle).reached);
    EXPECT_GE(since(releasedAt), notBefore);
}

TEST(X11IdleSourceFactory, ExplainsAMissingDisplay) {
    std::string reason;
    EXPECT_FALSE(X11IdleSource::create(period, reason, ":9999"));
    EXPECT_NE(reason.find(":9999"), std::string::npos) << reason;
}
