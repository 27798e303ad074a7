#include "host/idle/wayland_idle_source.h"

#include <algorithm>
#include <limits>

std::uint32_t WaylandIdleSource::protocolTimeout(std::chrono::milliseconds period) {
    constexpr auto largest = static_cast<std::int64_t>(std::numeric_limits<std::uint32_t>::max());
    return static_cast<std::uint32_t>(
        std::clamp(static_cast<std::int64_t>(period.count()), std::int64_t{0}, largest));
}
