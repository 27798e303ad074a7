#include "host/x11/universe_animation.h"

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
    if (!universe_)
        return true;
    finalFrames_ = universe_->ticksRun();
    return NS_Universe::destroyUniverse(universe_);
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
