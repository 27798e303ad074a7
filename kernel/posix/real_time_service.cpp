// The real-time tick source on Linux: a timerfd on CLOCK_MONOTONIC. The timer
// keeps its own fixed grid; expirations missed during a long tick accumulate
// in the descriptor's counter and one read consumes them all, so they collapse
// into a single pending tick.
#include "kernel/time_service.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <sys/timerfd.h>
#include <unistd.h>

namespace NS_TimeService {

namespace {

constexpr std::uint64_t nanosPerUnit = 100; // stamps are in 100 ns units

std::uint64_t monotonicNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(now.tv_nsec);
}

class TimerFdService final : public TimeService {
public:
    TimerFdService() {
        fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
        if (fd_ < 0)
            throw new Exception();
        arm();
    }

    ~TimerFdService() override { close(fd_); }

    void setPeriod(int milliseconds) override {
        period_ = milliseconds;
        arm();
    }

    void waitForTick() override {
        std::uint64_t expirations = 0;
        for (;;) {
            const ssize_t n = read(fd_, &expirations, sizeof expirations);
            if (n == static_cast<ssize_t>(sizeof expirations))
                break;
            if (n < 0 && errno == EINTR)
                continue;
            throw new Exception();
        }
        firedTotal_ += expirations;
        // The moment of the latest expiration on the grid: when the timer
        // fired, not when this thread got round to waiting.
        const std::uint64_t periodNanos = static_cast<std::uint64_t>(period_) * 1000000u;
        const std::uint64_t fired = armedAt_ + (firedTotal_ - 1) * periodNanos;
        std::lock_guard<std::mutex> lock(lock_);
        signalTime_ = TimeStamp::from(fired / nanosPerUnit);
    }

    TimeStamp readTime() override {
        std::lock_guard<std::mutex> lock(lock_);
        return signalTime_;
    }

private:
    int fd_ = -1;
    std::uint64_t armedAt_ = 0;
    std::uint64_t firedTotal_ = 0;
    std::mutex lock_;
    TimeStamp signalTime_;

    // Fires at once (the first due time is already due), then every period;
    // once only when the period is 0. Re-arming restarts the grid.
    void arm() {
        itimerspec spec{};
        spec.it_value.tv_nsec = 1; // a zero it_value would disarm the timer
        spec.it_interval.tv_sec = period_ / 1000;
        spec.it_interval.tv_nsec = static_cast<long>(period_ % 1000) * 1000000L;
        armedAt_ = monotonicNanos();
        firedTotal_ = 0;
        if (timerfd_settime(fd_, 0, &spec, nullptr) != 0)
            throw new Exception();
    }
};

} // namespace

std::unique_ptr<TimeService> createRealTimeService() {
    return std::make_unique<TimerFdService>();
}

TimeStamp platformNow() {
    return TimeStamp::from(monotonicNanos() / nanosPerUnit);
}

} // namespace NS_TimeService
