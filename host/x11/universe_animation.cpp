#include "host/x11/universe_animation.h"

#include "kernel/kernel_exceptions.h"
#include "render/drawing_target.h"
#include "render/saver_model.h"

namespace {

NS_Universe::RunOptions releasingContext() {
    NS_Universe::RunOptions options;
    // The Loader made the context current on the simulation thread; a context
    // still current when its thread ends is never freed by glXDestroyContext.
    options.onThreadEnd = [] {
        if (DrawingTarget* target = drawingTarget())
            target->releaseCurrent();
    };
    return options;
}

} // namespace

UniverseAnimation::UniverseAnimation()
    : universe_(std::make_unique<NS_Universe::Universe>(saverModel(), releasingContext())) {}

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
        NS_KernelExceptions::freeCurrentException();
        return false;
    }
    return true;
}

bool UniverseAnimation::failed() const {
    return universe_ && universe_->simulationFailed();
}

std::string UniverseAnimation::failureMessage() const {
    return universe_ ? universe_->failureMessage() : std::string();
}

std::int64_t UniverseAnimation::frames() const {
    return universe_ ? universe_->ticksRun() : finalFrames_;
}

AnimationFactory universeAnimationFactory() {
    return [] { return std::make_unique<UniverseAnimation>(); };
}
