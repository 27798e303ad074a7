#include "tracery/clock.h"

namespace {
SystemClock systemClock;
// Null: the system clock. Read by the simulation thread, replaced by the owner
// between runs.
std::atomic<Clock*> installed{nullptr};
} // namespace

Clock& currentClock() {
    Clock* clock = installed.load(std::memory_order_acquire);
    return clock != nullptr ? *clock : systemClock;
}

void setCurrentClock(Clock* clock) {
    installed.store(clock, std::memory_order_release);
}

ScopedClock::ScopedClock(Clock& clock) : previous_(installed.load(std::memory_order_acquire)) {
    setCurrentClock(&clock);
}

ScopedClock::~ScopedClock() {
    setCurrentClock(previous_);
}

namespace {
constexpr std::int64_t MillisecondsPerDay = 24LL * 60 * 60 * 1000;
}

SteppedClock::SteppedClock(int hour, int minute, std::int64_t millisecondsPerTick,
                           std::int64_t seconds)
    : startMilliseconds_((static_cast<std::int64_t>(hour) * 60 + minute) * 60'000),
      millisecondsPerTick_(millisecondsPerTick), seconds_(seconds) {}

Clock::HourMinute SteppedClock::localHourMinute() const {
    // Whole milliseconds, so that a minute is exactly 2000 ticks of 30 ms and
    // a day exactly 2 880 000, however long the run.
    const std::int64_t elapsed = ticks() % MillisecondsPerDay * millisecondsPerTick_;
    const std::int64_t now = (startMilliseconds_ + elapsed) % MillisecondsPerDay;
    return HourMinute{static_cast<int>(now / 3'600'000), static_cast<int>(now / 60'000 % 60)};
}
