#pragma once

#include "host/common/animation.h"
#include "render/saver_run.h"

// The saver's run: its universe, built from the process's one model on the
// real-time 30 ms timer. Its simulation thread makes the GL context current in
// the Loader's start, draws one frame per tick and releases the context as it
// ends; the run installs the target for as long as the animation exists.
class UniverseAnimation final : public Animation {
public:
    explicit UniverseAnimation(DrawingTarget& target);

    bool shutdown() override { return run_.finish(); }
    bool failed() const override { return run_.failed(); }
    std::string failureMessage() const override { return run_.failureMessage(); }
    bool cannotDraw() const override { return run_.cannotDraw(); }
    std::int64_t frames() const override { return run_.framesDrawn(); }
    std::int64_t ticks() const override { return run_.ticks(); }

private:
    SaverRun run_;
};

AnimationFactory universeAnimationFactory();
