#pragma once

#include <atomic>
#include <cstdint>

// Where the tracery reads the time of day. The generative field paints the
// local hour and minute; the renderer seeds the random generator with the
// calendar time. Both go through the process's current clock so that tools
// and tests can pin the time (and step across a minute or midnight) without
// waiting for the wall clock.
class Clock {
public:
    struct HourMinute {
        int hour = 0;   // 0 ... 23
        int minute = 0; // 0 ... 59
    };

    virtual ~Clock() = default;
    // Local time of day.
    virtual HourMinute localHourMinute() const = 0;
    // Calendar time in whole seconds since the epoch.
    virtual std::int64_t calendarSeconds() const = 0;
};

// The machine's own clock and time zone (one implementation per platform).
// The time zone is looked up again on every read, so a change of zone while
// the saver runs shows on the next tick.
class SystemClock final : public Clock {
public:
    HourMinute localHourMinute() const override;
    std::int64_t calendarSeconds() const override;
};

// A clock that shows whatever it was last set to. Safe to change from one
// thread while the simulation thread reads it.
class FixedClock final : public Clock {
public:
    FixedClock(int hour, int minute, std::int64_t seconds = 0) { set(hour, minute, seconds); }

    void set(int hour, int minute, std::int64_t seconds) {
        hour_.store(hour, std::memory_order_relaxed);
        minute_.store(minute, std::memory_order_relaxed);
        seconds_.store(seconds, std::memory_order_relaxed);
    }

    HourMinute localHourMinute() const override {
        return HourMinute{hour_.load(std::memory_order_relaxed),
                          minute_.load(std::memory_order_relaxed)};
    }
    std::int64_t calendarSeconds() const override {
        return seconds_.load(std::memory_order_relaxed);
    }

private:
    std::atomic<int> hour_{0};
    std::atomic<int> minute_{0};
    std::atomic<std::int64_t> seconds_{0};
};

// A virtual day: the local time starts at the given hour and minute and moves
// on by exactly `millisecondsPerTick` each time `advance` is called (once per
// tick), rolling over minutes, hours and midnight exactly as a real day does.
// Written by the simulation thread that also reads it; atomic so that another
// thread may look at it too.
class SteppedClock final : public Clock {
public:
    SteppedClock(int hour, int minute, std::int64_t millisecondsPerTick, std::int64_t seconds = 0);

    void advance() { ticks_.fetch_add(1, std::memory_order_relaxed); }
    std::int64_t ticks() const { return ticks_.load(std::memory_order_relaxed); }

    HourMinute localHourMinute() const override;
    std::int64_t calendarSeconds() const override { return seconds_; }

private:
    std::int64_t startMilliseconds_;
    std::int64_t millisecondsPerTick_;
    std::int64_t seconds_;
    std::atomic<std::int64_t> ticks_{0};
};

// The clock the tracery reads; the system clock unless replaced.
Clock& currentClock();

// Makes `clock` the current one; null restores the system clock. The caller
// keeps ownership and must keep the clock alive while it is current. Replace
// it before building a universe, not while its thread runs.
void setCurrentClock(Clock* clock);

// Installs a clock for the lifetime of the guard, then restores the previous one.
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    Clock* previous_;
};
