#include "tracery/clock.h"

#include <ctime>
#include <time.h>

Clock::HourMinute SystemClock::localHourMinute() const {
    // The C runtime reads the time zone once and keeps it; _tzset reads it
    // again, so a zone or daylight-saving rule changed while the saver runs
    // shows on the next minute.
    _tzset();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_s(&local, &now) != 0)
        return HourMinute{};
    return HourMinute{local.tm_hour, local.tm_min};
}

std::int64_t SystemClock::calendarSeconds() const {
    return static_cast<std::int64_t>(std::time(nullptr));
}
