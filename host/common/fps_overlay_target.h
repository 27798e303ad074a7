#pragma once

#include "render/drawing_target.h"
#include "render/fps_overlay.h"

// A drawing target that draws the frame-rate overlay over every frame of the
// target it wraps, just before that target presents it. The hosted run puts
// it between the Loader and a host's target when the saver was asked for
// -fps, so no host knows of the overlay. It counts drawn frames only: a span
// in which none were wanted is not averaged in. Every call runs on the thread
// the wrapped target's contract names; the wrapped target outlives this one.
class FpsOverlayTarget final : public DrawingTarget {
public:
    explicit FpsOverlayTarget(DrawingTarget& inner) : inner_(inner) {}

    bool makeCurrent() override { return inner_.makeCurrent(); }
    bool frameWanted() override;
    void present() override;
    void releaseCurrent() override { inner_.releaseCurrent(); }
    int width() const override { return inner_.width(); }
    int height() const override { return inner_.height(); }

private:
    DrawingTarget& inner_;
    FpsOverlay overlay_;
};
