#pragma once

#include "kernel/time_service.h"

#include <cstdint>

namespace NS_TimeService {

// Fires at once on every wait; the stamp advances by one period per tick,
// starting from 0.
class VirtualTimeService final : public TimeService {
public:
    VirtualTimeService() { setPeriod(0); }

    void setPeriod(int milliseconds) override;
    void waitForTick() override;
    TimeStamp readTime() override { return TimeStamp::from(stamp_); }

private:
    std::uint64_t stamp_ = 0;
    bool armed_ = false;
};

} // namespace NS_TimeService
