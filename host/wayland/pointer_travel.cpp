#include "host/wayland/pointer_travel.h"

#include "host/common/closing_rules.h"

#include <cmath>

namespace {
int pixel(double value) {
    return static_cast<int>(std::lround(value));
}
} // namespace

void PointerTravel::movedBy(double dx, double dy) {
    relativeInBatch_ = true;
    if (space_ != Space::Relative) {
        space_ = Space::Relative;
        rules_.anchorPointer(pixel(relativeX_), pixel(relativeY_));
    }
    relativeX_ += dx;
    relativeY_ += dy;
    rules_.pointerAt(pixel(relativeX_), pixel(relativeY_));
}

void PointerTravel::surfaceConfigured() {
    if (space_ == Space::Surface)
        rules_.surfaceMoved();
}

void PointerTravel::endOfBatch() {
    if (!relativeInBatch_ && pendingSurface_) {
        if (space_ != Space::Surface) {
            space_ = Space::Surface;
            rules_.surfaceMoved();
        }
        rules_.pointerAt(pixel(pendingSurface_->first), pixel(pendingSurface_->second));
    }
    pendingSurface_.reset();
    relativeInBatch_ = false;
}
