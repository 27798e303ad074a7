// How GNOME's answers fold into one state: inhibitors, their release, input.
#include <gtest/gtest.h>

#include "host/idle/gnome_session_state.h"

using namespace std::chrono_literals;
using Clock = GnomeSessionState::Clock;

TEST(GnomeSessionState, StaysActiveUntilGnomeSessionHasAnsweredAndWhileItReportsAnInhibitor) {
    const Clock::time_point t0 = Clock::now();
    GnomeSessionState session(1000ms);
    session.idleFor(true);
    EXPECT_EQ(session.state(t0), IdleState::Active) << "no answer yet about inhibitors";
    session.setInhibited(true, t0);
    EXPECT_EQ(session.state(t0 + 1h), IdleState::Active);
    EXPECT_FALSE(session.nextChange(t0 + 1h));

    GnomeSessionState noInhibitor(1000ms);
    noInhibitor.idleFor(true);
    noInhibitor.setInhibited(false, t0);
    EXPECT_EQ(noInhibitor.state(t0), IdleState::Idle) << "no inhibitor was ever released";
}

TEST(GnomeSessionState, AReleasedInhibitorLeavesTheUserAFullPeriodUnlessInputComes) {
    const Clock::time_point t0 = Clock::now();
    GnomeSessionState session(1000ms);
    session.setInhibited(true, t0);
    session.idleFor(true);
    const Clock::time_point released = t0 + 5s;
    session.setInhibited(false, released);
    EXPECT_EQ(session.state(released + 999ms), IdleState::Active);
    ASSERT_TRUE(session.nextChange(released));
    EXPECT_EQ(*session.nextChange(released), released + 1000ms);
    EXPECT_EQ(session.state(released + 1000ms), IdleState::Idle);
    EXPECT_FALSE(session.nextChange(released + 1000ms));

    // Input during that period: Mutter's next idle watch decides, not the clock.
    session.idleFor(false);
    EXPECT_EQ(session.state(released + 2s), IdleState::Active);
    EXPECT_FALSE(session.nextChange(released + 500ms));
}
