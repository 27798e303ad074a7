#include "tracery/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {
int minutesOfDay(const Clock& clock) {
    const Clock::HourMinute now = clock.localHourMinute();
    return now.hour * 60 + now.minute;
}

void advance(SteppedClock& clock, std::int64_t ticks) {
    for (std::int64_t i = 0; i < ticks; ++i)
        clock.advance();
}

// Restores the process's TZ when the test ends.
class ZoneGuard {
public:
    ZoneGuard() {
        const char* zone = std::getenv("TZ");
        had_ = zone != nullptr;
        if (had_)
            old_ = zone;
    }
    ~ZoneGuard() {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};
} // namespace

// 30 ms a tick: a minute is exactly 2000 ticks, a day 2 880 000.
TEST(SteppedClock, RollsMinutesHoursAndMidnightOverAsARealDay) {
    SteppedClock clock(23, 58, 30);
    EXPECT_EQ(minutesOfDay(clock), 23 * 60 + 58);
    advance(clock, 1999);
    EXPECT_EQ(minutesOfDay(clock), 23 * 60 + 58) << "59.970 s in";
    advance(clock, 1);
    EXPECT_EQ(minutesOfDay(clock), 23 * 60 + 59);
    advance(clock, 2000);
    EXPECT_EQ(minutesOfDay(clock), 0) << "midnight";
    advance(clock, 2880000 - 4000 + 120000);
    EXPECT_EQ(minutesOfDay(clock), 23 * 60 + 58 + 60 - 24 * 60) << "a day and an hour later";
    EXPECT_EQ(clock.ticks(), 2880000 + 120000);
}

// The saver runs for hours; a zone changed meanwhile must show on the next read.
TEST(SystemClock, SeesATimeZoneChangedWhileRunning) {
    ZoneGuard guard;
    setenv("TZ", "UTC0", 1);
    tzset();
    SystemClock clock;
    const int utc = minutesOfDay(clock);
    setenv("TZ", "XST-5:30", 1); // no tzset here: the clock must look itself
    const int shifted = minutesOfDay(clock);
    // A minute may turn between the reads.
    const int difference = ((shifted - utc) % 1440 + 1440) % 1440;
    EXPECT_TRUE(difference == 330 || difference == 331) << utc << " then " << shifted;
}
