#include "kernel/virtual_time_service.h"

namespace NS_TimeService {

namespace {
constexpr std::uint64_t unitsPerMillisecond = 10000; // 100 ns units
}

void VirtualTimeService::setPeriod(int milliseconds) {
    period_ = milliseconds;
    armed_ = true;
}

void VirtualTimeService::waitForTick() {
    // The first wait after arming fires at the current stamp; every later one
    // is one period on. A one-shot timer (period 0) that has fired would never
    // fire again; here it simply keeps firing at the same stamp, which only a
    // misuse could observe.
    if (armed_) {
        armed_ = false;
        return;
    }
    stamp_ += static_cast<std::uint64_t>(period_) * unitsPerMillisecond;
}

} // namespace NS_TimeService
