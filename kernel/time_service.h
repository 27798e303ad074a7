#pragma once

#include "kernel/time_stamp.h"

#include <memory>

namespace NS_TimeService {

// Thrown (by pointer) when the timer, its event or its lock cannot be created
// or armed.
class Exception {};

// How a universe's simulation thread is paced.
enum class Pacing {
    // A fixed 30 ms grid on the platform's timer; periods missed during a long
    // tick collapse into one pending tick.
    RealTime,
    // Every wait returns at once and the stamp advances by one period per tick:
    // ticks run as fast as the machine allows, through the same thread and
    // dispatch. For tests and headless tools.
    Virtual,
};

// The periodic tick source of one simulation thread; lives on that thread's
// stack for the thread's whole life and is used only there.
class TimeService {
public:
    virtual ~TimeService() = default;
    TimeService(const TimeService&) = delete;
    TimeService& operator=(const TimeService&) = delete;

    // Stores the period and re-arms: the timer fires at once, then every period
    // (once only when the period is 0).
    virtual void setPeriod(int milliseconds) = 0;
    // Blocks until the timer has fired since the last call. Missed periods
    // collapse: however many passed, one call returns for them.
    virtual void waitForTick() = 0;
    // When the timer last fired, read under the service's lock.
    virtual TimeStamp readTime() = 0;

    int period() const { return period_; }

    // Built already armed with period 0 (fires once, at once).
    static std::unique_ptr<TimeService> create(Pacing pacing);

protected:
    TimeService() = default;
    int period_ = 0;
};

// The platform's real-time service (one implementation per platform).
std::unique_ptr<TimeService> createRealTimeService();

// The platform clock the real-time service stamps ticks with, read now, in the
// same epoch and unit as those stamps.
TimeStamp platformNow();

} // namespace NS_TimeService
