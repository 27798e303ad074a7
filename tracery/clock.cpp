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
