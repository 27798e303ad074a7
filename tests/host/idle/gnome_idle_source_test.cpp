// The GNOME idle source under a real headless mutter 43, one per test, with
// input through Mutter's RemoteDesktop API (gnome_remote_input) and
// gnome-session's and gnome-shell's services played by gnome_session_stand_in.
#include <gtest/gtest.h>

#include "host/idle/gnome_idle_source.h"
#include "tests/host/child_process.h"
#include "tests/host/idle/headless_mutter.h"
#include "tests/host/idle/idle_source_driving.h"
#include "tests/host/idle/piped_program.h"

#include <filesystem>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto period = 1000ms;
// The period counts from the input, measured from before it is sent.
constexpr auto notBefore = 950ms;
// Bounds for a busy two-core machine, under the sanitizers too.
constexpr int idleWithinMs = 6000;
constexpr int answerWithinMs = 3000;

class GnomeIdleSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_SERVER(HeadlessMutter::installed(), "mutter (headless)");
        mutter_ = HeadlessMutter::start();
        ASSERT_TRUE(mutter_) << "headless-mutter did not start";
        input_ = std::make_unique<PipedProgram>(std::vector<std::string>{REMOTE_INPUT});
        ASSERT_EQ(input_->readLine(10000), "ready");
    }
    std::unique_ptr<IdleSource> makeSource() {
        std::string reason;
        auto source = GnomeIdleSource::create(period, reason);
        EXPECT_TRUE(source) << reason;
        return source;
    }
    std::unique_ptr<PipedProgram> desktopStandIn() {
        auto desk = std::make_unique<PipedProgram>(std::vector<std::string>{SESSION_STAND_IN});
        EXPECT_EQ(desk->readLine(10000), "ready");
        return desk;
    }

    std::unique_ptr<HeadlessMutter> mutter_;
    std::unique_ptr<PipedProgram> input_;
};

} // namespace

TEST_F(GnomeIdleSourceTest, ASessionAlreadyIdleAtTheStartIsIdleAtOnce) {
    std::this_thread::sleep_for(period + 500ms);
    auto source = makeSource();
    ASSERT_TRUE(source);
    EXPECT_TRUE(drive(*source, answerWithinMs, isIdle).reached);
    // And input still ends it: the user-active watch was armed.
    ASSERT_EQ(input_->ask("key"), "ok");
    EXPECT_TRUE(drive(*source, answerWithinMs, isActive).reached);
}

TEST_F(GnomeIdleSourceTest, ReportsTheShellShieldAtTheStartAndAsItComesAndGoes) {
    auto desk = desktopStandIn();
    ASSERT_EQ(desk->ask("lock"), "ok");
    auto source = makeSource();
    ASSERT_TRUE(source);
    auto locked = [](const IdleSource& s) { return s.desktopLocked(); };
    auto unlocked = [](const IdleSource& s) { return !s.desktopLocked(); };
    EXPECT_TRUE(drive(*source, answerWithinMs, locked).reached);
    ASSERT_EQ(desk->ask("unlock"), "ok");
    EXPECT_TRUE(drive(*source, answerWithinMs, unlocked).reached);
    ASSERT_EQ(desk->ask("lock"), "ok");
    EXPECT_TRUE(drive(*source, answerWithinMs, locked).reached);
    // gnome-shell gone: no shield.
    desk.reset();
    EXPECT_TRUE(drive(*source, answerWithinMs, unlocked).reached);
}

TEST_F(GnomeIdleSourceTest, TheSessionBusEndingEndsTheSource) {
    auto source = makeSource();
    ASSERT_TRUE(source);
    mutter_->killBus();
    EXPECT_TRUE(drive(*source, 5000, never).lost);
}

TEST(GnomeIdleSourceFactory, ExplainsAMissingBusAndABusWithoutMutter) {
    std::string reason;
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/veltrane-bus", 1);
    EXPECT_FALSE(GnomeIdleSource::create(period, reason));
    EXPECT_NE(reason.find("session bus"), std::string::npos) << reason;

    REQUIRE_SERVER(std::filesystem::exists("/usr/bin/dbus-daemon"), "dbus-daemon");
    ScratchDir dir;
    const std::string address = "unix:path=" + dir.path + "/bus";
    ChildProcess bus({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address});
    ASSERT_TRUE(eventually(5000, [&] { return std::filesystem::exists(dir.path + "/bus"); }));
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    reason.clear();
    EXPECT_FALSE(GnomeIdleSource::create(period, reason));
    EXPECT_NE(reason.find("org.gnome.Mutter.IdleMonitor"), std::string::npos) << reason;
}
