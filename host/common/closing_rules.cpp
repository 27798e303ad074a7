#include "host/common/closing_rules.h"

#include <cstdint>
#include <cstdlib>

void ClosingRules::anchorPointer(int x, int y) {
    anchorX_ = x;
    anchorY_ = y;
    anchored_ = true;
}

bool ClosingRules::pointerAt(int x, int y) {
    if (!anchored_) {
        anchorPointer(x, y);
        return false;
    }
    // 64 bits: a corrupted event's coordinates must not overflow the sum.
    const std::int64_t travel =
        std::llabs(std::int64_t{x} - anchorX_) + std::llabs(std::int64_t{y} - anchorY_);
    if (travel <= travelThreshold)
        return false;
    anchorPointer(x, y);
    return input(Cause::PointerTravel);
}

bool ClosingRules::close(Cause cause) {
    if (!cause_)
        cause_ = cause;
    return true;
}

std::optional<std::pair<int, int>> ClosingRules::anchor() const {
    if (!anchored_)
        return std::nullopt;
    return std::make_pair(anchorX_, anchorY_);
}
