#include "kernel/time_service.h"

#include <windows.h>

namespace NS_TimeService {

namespace {

// A waitable timer whose completion routine runs on the simulation thread
// itself, during the alertable wait in waitForTick. The routine stamps the
// firing time and sets an auto-reset event; periods missed while a tick runs
// therefore collapse into one pending signal.
class Win32TimeService final : public TimeService {
public:
    Win32TimeService() {
        timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
        if (timer_ == nullptr) {
            release();
            throw new Exception();
        }
        tickEvent_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (tickEvent_ == nullptr) {
            release();
            throw new Exception();
        }
        lock_ = CreateMutexW(nullptr, FALSE, nullptr);
        if (lock_ == nullptr) {
            release();
            throw new Exception();
        }
        try {
            arm();
        } catch (...) {
            release();
            throw;
        }
    }

    ~Win32TimeService() override {
        // Stop the timer first, then let a completion call already queued for
        // this thread run now, while the service still exists: none can run
        // after it is gone, even if the thread waits alertably again later.
        if (timer_ != nullptr)
            CancelWaitableTimer(timer_);
        SleepEx(0, TRUE);
        release();
    }

    void setPeriod(int milliseconds) override {
        period_ = milliseconds;
        arm();
    }

    void waitForTick() override {
        for (;;) {
            const DWORD result = WaitForSingleObjectEx(tickEvent_, INFINITE, TRUE);
            if (result == WAIT_OBJECT_0)
                return;
            if (result != WAIT_IO_COMPLETION)
                throw new Exception();
        }
    }

    TimeStamp readTime() override {
        WaitForSingleObject(lock_, INFINITE);
        const TimeStamp copy = signalTime_;
        ReleaseMutex(lock_);
        return copy;
    }

private:
    HANDLE tickEvent_ = nullptr;
    HANDLE timer_ = nullptr;
    TimeStamp signalTime_;
    HANDLE lock_ = nullptr;

    // An absolute due time that is not in the future: the timer fires at once,
    // then every period (once only for period 0). The due time is "now" rather
    // than zero because Wine treats zero as a relative time and then hands the
    // completion routine a meaningless stamp; on Windows both fire at once.
    void arm() {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        LARGE_INTEGER due;
        due.LowPart = now.dwLowDateTime;
        due.HighPart = static_cast<LONG>(now.dwHighDateTime);
        const LONG period = period_ < 0 ? 0 : period_;
        if (!SetWaitableTimer(timer_, &due, period, &Win32TimeService::onTimer, this, FALSE))
            throw new Exception();
    }

    static VOID CALLBACK onTimer(LPVOID argument, DWORD low, DWORD high) {
        auto* service = static_cast<Win32TimeService*>(argument);
        WaitForSingleObject(service->lock_, INFINITE);
        service->signalTime_.low = low;
        service->signalTime_.high = high;
        ReleaseMutex(service->lock_);
        SetEvent(service->tickEvent_);
    }

    void release() {
        if (timer_ != nullptr) {
            CloseHandle(timer_);
            timer_ = nullptr;
        }
        if (tickEvent_ != nullptr) {
            CloseHandle(tickEvent_);
            tickEvent_ = nullptr;
        }
        if (lock_ != nullptr) {
            CloseHandle(lock_);
            lock_ = nullptr;
        }
    }
};

} // namespace

std::unique_ptr<TimeService> createRealTimeService() {
    return std::make_unique<Win32TimeService>();
}

// The completion routine is handed the system time (a UTC file time) at which
// the timer was signalled; this is the same clock.
TimeStamp platformNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return TimeStamp{now.dwLowDateTime, now.dwHighDateTime};
}

} // namespace NS_TimeService
