#include "host/wayland/output_scales.h"

#include <algorithm>

void OutputScales::setScale(std::uint32_t output, int scale) {
    scales_[output] = std::max(scale, 1);
}

void OutputScales::removeOutput(std::uint32_t output) {
    scales_.erase(output);
    entered_.erase(output);
}

void OutputScales::enter(std::uint32_t output) {
    entered_.insert(output);
}

void OutputScales::leave(std::uint32_t output) {
    entered_.erase(output);
}

void OutputScales::setPreferred(std::uint32_t output) {
    preferred_ = output;
    hasPreferred_ = true;
}

int OutputScales::scaleOf(std::uint32_t output) const {
    const auto found = scales_.find(output);
    return found == scales_.end() ? 1 : found->second;
}

int OutputScales::surfaceScale() const {
    if (entered_.empty())
        return hasPreferred_ ? scaleOf(preferred_) : 1;
    int scale = 1;
    for (std::uint32_t output : entered_)
        scale = std::max(scale, scaleOf(output));
    return scale;
}
