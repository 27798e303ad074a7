#include "host/x11/glx_drawing_target.h"

#include <GL/gl.h>

GlxDrawingTarget::GlxDrawingTarget(Display* display, Window window, GLXContext context,
                                   bool doubleBuffered, int width, int height)
    : display_(display), window_(window), context_(context), doubleBuffered_(doubleBuffered),
      width_(width), height_(height) {}

bool GlxDrawingTarget::makeCurrent() {
    if (glXMakeCurrent(display_, window_, context_) != True)
        return false;
    // The context's first viewport is the window's size at this moment.
    viewportWidth_ = width();
    viewportHeight_ = height();
    return true;
}

void GlxDrawingTarget::present() {
    if (doubleBuffered_)
        glXSwapBuffers(display_, window_);
    else
        glFlush();
    // The renderer never sets a viewport and keeps a fixed 4:3 projection, so a
    // window resized by the user would otherwise keep drawing into its old
    // corner. Follow the window from the next frame on; this runs between
    // frames, on the thread that owns the context.
    const int w = width();
    const int h = height();
    if (w != viewportWidth_ || h != viewportHeight_) {
        glViewport(0, 0, w, h);
        viewportWidth_ = w;
        viewportHeight_ = h;
    }
}

void GlxDrawingTarget::resize(int width, int height) {
    width_.store(width, std::memory_order_relaxed);
    height_.store(height, std::memory_order_relaxed);
}
