#include "host/x11/glx_drawing_target.h"

#include <GL/gl.h>

GlxDrawingTarget::GlxDrawingTarget(Display* display, Window window, GLXContext context,
                                   bool doubleBuffered, int width, int height)
    : display_(display), window_(window), context_(context), doubleBuffered_(doubleBuffered),
      width_(width), height_(height) {}

bool GlxDrawingTarget::makeCurrent() {
    return glXMakeCurrent(display_, window_, context_) == True;
}

void GlxDrawingTarget::present() {
    if (doubleBuffered_)
        glXSwapBuffers(display_, window_);
    else
        glFlush();
}

void GlxDrawingTarget::resize(int width, int height) {
    width_.store(width, std::memory_order_relaxed);
    height_.store(height, std::memory_order_relaxed);
}
