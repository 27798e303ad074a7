#include "tracery/clock.h"

#include <ctime>

Clock::HourMinute SystemClock::localHourMinute() const {
    // localtime_r, unlike localtime, need not look at the zone again once it
    // has been read: without tzset a zone changed while the saver runs (TZ, or
    // /etc/localtime replaced) would never show. With TZ unset glibc's tzset
    // stats the zone file each time: about 3 us, once a tick of 30 ms.
    tzset();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr)
        return HourMinute{};
    return HourMinute{local.tm_hour, local.tm_min};
}

std::int64_t SystemClock::calendarSeconds() const {
    return static_cast<std::int64_t>(std::time(nullptr));
}
