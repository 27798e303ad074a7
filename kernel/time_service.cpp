#include "kernel/time_service.h"

#include "kernel/virtual_time_service.h"

namespace NS_TimeService {

std::unique_ptr<TimeService> TimeService::create(Pacing pacing) {
    if (pacing == Pacing::Virtual)
        return std::make_unique<VirtualTimeService>();
    return createRealTimeService();
}

} // namespace NS_TimeService
