#pragma once

#include "host/x11/animation.h"
#include "host/x11/glx_drawing_target.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <memory>
#include <optional>

// The saver's side of a window: the GL context, the drawing target and the
// animation, set up when the window exists and torn down before it goes.
//
// The context lives on a second X connection that only the simulation thread
// uses between creation and shutdown. The window thread's connection then
// never sees the driver's GLX traffic, so its select() on the X socket is not
// fooled by replies read behind its back, and neither thread waits on the
// other's Xlib lock while a frame is being presented.
class GlxSaver {
public:
    enum class Outcome { Running, NoGlMode, NoConnection };

    struct Drawing {
        // Direct for the saver's own windows, Copied for another program's
        // (see GlxDrawingTarget).
        GlxDrawingTarget::Surface surface = GlxDrawingTarget::Surface::Direct;
        bool fps = false; // draw the frame-rate overlay
    };

    // Creates the context for `window`, whose visual is `visual` (without
    // making it current) and its drawing target, then builds the animation
    // drawing into it. On NoGlMode or NoConnection nothing is left behind. An
    // exception from the factory propagates after the context has been
    // released.
    static std::unique_ptr<GlxSaver> create(const char* displayName, Window window, VisualID visual,
                                            int width, int height, const Drawing& drawing,
                                            const AnimationFactory& factory, Outcome& outcome);
    // Same order as shutdown().
    ~GlxSaver();
    GlxSaver(const GlxSaver&) = delete;
    GlxSaver& operator=(const GlxSaver&) = delete;

    // The animation is finished first (its thread releases the context as it
    // ends) and then destroyed, which gives the drawing target back; then the
    // target, the context and the connection go. False if the animation's
    // teardown reported an error. Idempotent.
    bool shutdown();

    bool failed() const { return animation_ && animation_->failed(); }
    std::string failureMessage() const {
        return animation_ ? animation_->failureMessage() : std::string();
    }
    // The context could not be made current: the animation runs, drawing
    // nothing.
    bool cannotDraw() const { return animation_ && animation_->cannotDraw(); }
    // The window could no longer be drawn into (see GlxDrawingTarget).
    bool windowLost() const { return target_ && target_->windowLost(); }
    // Frames drawn so far; after shutdown(), the run's total.
    std::int64_t frames() const { return animation_ ? animation_->frames() : finalFrames_; }
    void resize(int width, int height);

private:
    GlxSaver() = default;

    Display* display_ = nullptr;
    GLXContext context_ = nullptr;
    std::unique_ptr<GlxDrawingTarget> target_;
    std::unique_ptr<Animation> animation_;
    bool torn_down_ = false;
    bool animationOk_ = true;
    std::int64_t finalFrames_ = 0;
};
