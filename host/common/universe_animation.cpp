#include "host/common/universe_animation.h"

namespace {

SaverRunSetup drawingInto(DrawingTarget& target) {
    SaverRunSetup setup;
    setup.target = &target;
    return setup;
}

} // namespace

UniverseAnimation::UniverseAnimation(DrawingTarget& target) : run_(drawingInto(target)) {}

AnimationFactory universeAnimationFactory() {
    return [](DrawingTarget& target) { return std::make_unique<UniverseAnimation>(target); };
}
