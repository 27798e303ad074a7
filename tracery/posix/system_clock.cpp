#include "tracery/clock.h"

#include <ctime>

Clock::HourMinute SystemClock::localHourMinute() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr)
        return HourMinute{};
    return HourMinute{local.tm_hour, local.tm_min};
}

std::int64_t SystemClock::calendarSeconds() const {
    return static_cast<std::int64_t>(std::time(nullptr));
}
