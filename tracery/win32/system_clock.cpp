#include "tracery/clock.h"

#include <ctime>

Clock::HourMinute SystemClock::localHourMinute() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_s(&local, &now) != 0)
        return HourMinute{};
    return HourMinute{local.tm_hour, local.tm_min};
}

std::int64_t SystemClock::calendarSeconds() const {
    return static_cast<std::int64_t>(std::time(nullptr));
}
