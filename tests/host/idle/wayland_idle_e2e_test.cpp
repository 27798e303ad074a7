// The Wayland idle sources under real compositors: sway 1.7 offers
// org_kde_kwin_idle only, KWin 5.27 both protocols. Each test has a compositor
// of its own; bounds are generous for a busy two-core machine.
#include "host/idle/kde_idle_source.h"
#include "host/idle/wayland_idle.h"
#include "tests/host/child_process.h"
#include "tests/host/idle/idle_source_driving.h"
#include "tests/host/idle/idle_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {
using namespace std::chrono;
constexpr auto period = seconds(1);
constexpr int idleWithinMs = 6000;   // from the last input or the start
constexpr int activeWithinMs = 5000; // from the input

struct Case {
    const char* label;
    CompositorKind kind;
    bool kdeProtocol; // the fallback, asked for although ext-idle-notify-v1 is offered
    const char* expectedName;
};
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.label;
}

class WaylandIdleSourceTest : public testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        std::string why;
        compositor_ = IdleTestCompositor::start(GetParam().kind, why);
        REQUIRE_SERVER(compositor_, why);
        setenv("WAYLAND_DISPLAY", compositor_->display().c_str(), 1);
    }
    std::unique_ptr<IdleSource> open() const {
        std::string why;
        std::unique_ptr<IdleSource> source;
        if (!GetParam().kdeProtocol)
            source = openWaylandIdleSource(period, why);
        else if (auto connection = WaylandIdleConnection::connect(why))
            source = KdeIdleSource::open(std::move(connection), period, why);
        EXPECT_TRUE(source) << why;
        return source;
    }
    // Milliseconds until the source reports `wanted`, or -1.
    static long msUntil(IdleSource& source, IdleState wanted, int limitMs) {
        const DriveResult end =
            drive(source, limitMs, [&](const IdleSource& s) { return s.state() == wanted; });
        return end.reached ? end.elapsed.count() : -1;
    }
    static void report(const char* what, long ms) {
        std::printf("[ timing ] %s: %ld ms after the idle deadline\n", what,
                    ms - duration_cast<milliseconds>(period).count());
    }
    std::unique_ptr<IdleTestCompositor> compositor_;
};

TEST_P(WaylandIdleSourceTest, IsTheExpectedProtocolAndEventDriven) {
    auto source = open();
    ASSERT_TRUE(source);
    EXPECT_STREQ(source->name(), GetParam().expectedName);
    EXPECT_GE(source->fd(), 0);
    EXPECT_LT(source->wakeAfter().count(), 0);
    EXPECT_EQ(source->state(), IdleState::Active);
}

TEST_P(WaylandIdleSourceTest, ReportsIdleOnePeriodAfterItsStartWithoutInput) {
    auto source = open();
    ASSERT_TRUE(source);
    const long ms = msUntil(*source, IdleState::Idle, idleWithinMs);
    ASSERT_GE(ms, 0) << "never idle";
    EXPECT_GE(ms, 500) << "idle long before the period";
    report("idle from the start", ms);
}

TEST_P(WaylandIdleSourceTest, InputEndsIdleAndTheNextQuietPeriodIdlesAgain) {
    auto source = open();
    ASSERT_TRUE(source);
    for (int cycle = 0; cycle < 2; ++cycle) {
        ASSERT_GE(msUntil(*source, IdleState::Idle, idleWithinMs), 0) << "cycle " << cycle;
        ASSERT_TRUE(compositor_->typeKey());
        const auto typed = steady_clock::now();
        ASSERT_GE(msUntil(*source, IdleState::Active, activeWithinMs), 0) << "cycle " << cycle;
        const long ms = msUntil(*source, IdleState::Idle, idleWithinMs);
        ASSERT_GE(ms, 0) << "cycle " << cycle;
        report("idle after a key",
               duration_cast<milliseconds>(steady_clock::now() - typed).count());
    }
}

TEST_P(WaylandIdleSourceTest, AHeldInhibitorKeepsTheSessionActiveUntilReleased) {
    const std::string ready = "/tmp/veltrane-inhibitor-" + std::to_string(getpid());
    std::remove(ready.c_str());
    auto inhibitor = std::make_unique<ChildProcess>(std::vector<std::string>{IDLE_INHIBITOR, ready},
                                                    std::vector<std::string>{});
    ASSERT_TRUE(eventually(activeWithinMs, [&] { return access(ready.c_str(), F_OK) == 0; }))
        << inhibitor->errorOutput();
    auto source = open();
    ASSERT_TRUE(source);
    const DriveResult held = drive(*source, 3 * 1000, isIdle);
    EXPECT_FALSE(held.reached || held.lost) << "idle although inhibited";
    inhibitor.reset();
    std::remove(ready.c_str());
    EXPECT_GE(msUntil(*source, IdleState::Idle, idleWithinMs), 0) << "released, yet never idle";
}

TEST_P(WaylandIdleSourceTest, TheCompositorKilledMakesDispatchReportTheServerLost) {
    auto source = open();
    ASSERT_TRUE(source);
    compositor_->kill();
    EXPECT_TRUE(drive(*source, activeWithinMs, never).lost);
    EXPECT_FALSE(source->dispatch()) << "and stays lost";
}

INSTANTIATE_TEST_SUITE_P(
    Compositors, WaylandIdleSourceTest,
    testing::Values(Case{"Sway", CompositorKind::Sway, false, "org_kde_kwin_idle"},
                    Case{"Kwin", CompositorKind::Kwin, false, "ext-idle-notify-v1"},
                    Case{"KwinKdeProtocol", CompositorKind::Kwin, true, "org_kde_kwin_idle"}),
    [](const testing::TestParamInfo<Case>& param) { return param.param.label; });
} // namespace
