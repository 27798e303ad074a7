#pragma once

#include "host/x11/glx_drawing_target.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <memory>
#include <optional>

// The GL context of a saver window and its drawing target, made once the
// window exists and destroyed before it goes (after the simulation thread
// that had the context current has ended).
//
// The context lives on a second X connection that only the simulation thread
// uses between creation and destruction. The window thread's connection then
// never sees the driver's GLX traffic, so its poll() on the X socket is not
// fooled by replies read behind its back, and neither thread waits on the
// other's Xlib lock while a frame is being presented.
class GlxContext {
public:
    enum class Outcome { Made, NoOpenGl, NoConnection };

    // Creates the context for `window`, whose visual is `visual`, without
    // making it current, and its drawing target: Direct for the saver's own
    // windows, Copied for another program's (see GlxDrawingTarget). Null on
    // NoOpenGl or NoConnection, with nothing left behind.
    static std::unique_ptr<GlxContext> create(const char* displayName, Window window,
                                              VisualID visual, int width, int height,
                                              GlxDrawingTarget::Surface surface, Outcome& outcome);
    // The target, then the context, then the connection.
    ~GlxContext();
    GlxContext(const GlxContext&) = delete;
    GlxContext& operator=(const GlxContext&) = delete;

    GlxDrawingTarget& target() { return *target_; }
    // The window could no longer be drawn into (see GlxDrawingTarget).
    bool windowLost() const { return target_->windowLost(); }
    void resize(int width, int height) { target_->resize(width, height); }

private:
    GlxContext() = default;

    Display* display_ = nullptr;
    GLXContext context_ = nullptr;
    std::unique_ptr<GlxDrawingTarget> target_;
};
