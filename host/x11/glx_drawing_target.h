#pragma once

#include "render/drawing_target.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <atomic>

// The saver window as the Loader sees it. Built and owned by the window thread;
// makeCurrent and present run on the simulation thread through `display`, a
// connection that only the simulation thread uses while a universe exists.
class GlxDrawingTarget final : public DrawingTarget {
public:
    GlxDrawingTarget(Display* display, Window window, GLXContext context, bool doubleBuffered,
                     int width, int height);

    bool makeCurrent() override;
    // Swaps buffers, or flushes when the window's visual is single-buffered
    // (a hack must use the visual it is given).
    void present() override;
    int width() const override { return width_.load(std::memory_order_relaxed); }
    int height() const override { return height_.load(std::memory_order_relaxed); }

    // Window thread, on ConfigureNotify.
    void resize(int width, int height);

private:
    Display* display_;
    Window window_;
    GLXContext context_;
    bool doubleBuffered_;
    std::atomic<int> width_;
    std::atomic<int> height_;
};
