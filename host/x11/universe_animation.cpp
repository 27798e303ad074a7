#include "host/x11/universe_animation.h"

#include "render/saver_model.h"

UniverseAnimation::UniverseAnimation()
    : universe_(std::make_unique<NS_Universe::Universe>(saverModel())) {}

UniverseAnimation::~UniverseAnimation() {
    shutdown();
}

bool UniverseAnimation::shutdown() {
    // The universe's destructor may throw (a handler failing while its objects
    // are torn down). unique_ptr::reset is noexcept, so delete by hand; the
    // thread has been stopped before anything can throw.
    if (!universe_)
        return true;
    finalFrames_ = universe_->ticksRun();
    NS_Universe::Universe* universe = universe_.release();
    try {
        delete universe;
    } catch (...) {
        return false;
    }
    return true;
}

bool UniverseAnimation::failed() const {
    return universe_ && universe_->simulationFailed();
}

std::int64_t UniverseAnimation::frames() const {
    return universe_ ? universe_->ticksRun() : finalFrames_;
}

AnimationFactory universeAnimationFactory() {
    return [] { return std::make_unique<UniverseAnimation>(); };
}
