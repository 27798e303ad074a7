#include "tracery/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

// The saver runs for hours; a zone changed meanwhile must show on the next read.
TEST(SystemClock, SeesATimeZoneChangedWhileRunning) {
    auto minutesOfDay = [](const Clock& clock) {
        const Clock::HourMinute now = clock.localHourMinute();
        return now.hour * 60 + now.minute;
    };
    const std::string saved = std::getenv("TZ") ? std::getenv("TZ") : ""; // restored at the end
    setenv("TZ", "UTC0", 1);
    tzset();
    SystemClock clock;
    const int utc = minutesOfDay(clock);
    setenv("TZ", "XST-5:30", 1); // no tzset here: the clock must look itself
    const int shifted = minutesOfDay(clock);
    saved.empty() ? unsetenv("TZ") : setenv("TZ", saved.c_str(), 1);
    tzset();
    // A minute may turn between the reads.
    const int difference = ((shifted - utc) % 1440 + 1440) % 1440;
    EXPECT_TRUE(difference == 330 || difference == 331) << utc << " then " << shifted;
}
