#pragma once

#include "host/x11/animation.h"
#include "kernel/universe.h"

// The saver's universe, built from the process's one model on the real-time
// 30 ms timer. Its simulation thread makes the GL context current in the
// Loader's start, draws one frame per tick and releases the context as it ends.
class UniverseAnimation final : public Animation {
public:
    UniverseAnimation();
    ~UniverseAnimation() override;

    bool shutdown() override;
    bool failed() const override;
    std::string failureMessage() const override;
    std::int64_t frames() const override;

private:
    std::unique_ptr<NS_Universe::Universe> universe_;
    std::int64_t finalFrames_ = 0;
};

AnimationFactory universeAnimationFactory();
