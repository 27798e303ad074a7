#include "render/drawing_target.h"

#include <atomic>

namespace {
// Atomic so that the host's write before the simulation thread starts is visibly ordered
// even for hosts that build and start universes from different threads.
std::atomic<DrawingTarget*> currentTarget{nullptr};
} // namespace

void setDrawingTarget(DrawingTarget* target) {
    currentTarget.store(target, std::memory_order_release);
}

DrawingTarget* drawingTarget() {
    return currentTarget.load(std::memory_order_acquire);
}
