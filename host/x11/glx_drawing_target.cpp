#include "host/x11/glx_drawing_target.h"

#include "host/x11/x_error_log.h"

#include <GL/gl.h>

GlxDrawingTarget::GlxDrawingTarget(Display* display, Window window, const XVisualInfo& visual,
                                   GLXContext context, bool doubleBuffered, Surface surface,
                                   int width, int height)
    : display_(display), window_(window), visual_(visual), context_(context),
      doubleBuffered_(doubleBuffered), surface_(surface), width_(width), height_(height) {}

GlxDrawingTarget::~GlxDrawingTarget() {
    // The simulation thread has ended (and released the context), so this
    // connection is the window thread's to use now.
    freePixmap();
}

bool GlxDrawingTarget::makePixmap(int width, int height) {
    const unsigned long errorsBefore = XErrorLog::count(display_);
    // Made on the root, not the window: the window may be gone already.
    Pixmap pixmap =
        XCreatePixmap(display_, RootWindow(display_, visual_.screen), static_cast<unsigned>(width),
                      static_cast<unsigned>(height), static_cast<unsigned>(visual_.depth));
    GLXPixmap glxPixmap = glXCreateGLXPixmap(display_, &visual_, pixmap);
    if (!gc_) {
        XGCValues values = {};
        values.graphics_exposures = False;
        gc_ = XCreateGC(display_, pixmap, GCGraphicsExposures, &values);
    }
    XSync(display_, False);
    if (XErrorLog::count(display_) != errorsBefore || !glxPixmap) {
        if (glxPixmap)
            glXDestroyGLXPixmap(display_, glxPixmap);
        XFreePixmap(display_, pixmap);
        XSync(display_, False);
        return false;
    }
    pixmap_ = pixmap;
    glxPixmap_ = glxPixmap;
    pixmapWidth_ = width;
    pixmapHeight_ = height;
    return true;
}

void GlxDrawingTarget::freePixmap() {
    if (glxPixmap_)
        glXDestroyGLXPixmap(display_, glxPixmap_);
    if (pixmap_)
        XFreePixmap(display_, pixmap_);
    if (gc_)
        XFreeGC(display_, gc_);
    if (glxPixmap_ || pixmap_ || gc_)
        XSync(display_, False);
    glxPixmap_ = 0;
    pixmap_ = 0;
    gc_ = nullptr;
}

bool GlxDrawingTarget::makeCurrent() {
    if (surface_ == Surface::Copied && !makePixmap(width(), height()))
        return false;
    if (glXMakeCurrent(display_, drawable(), context_) != True)
        return false;
    errorsSeen_ = XErrorLog::count(display_);
    // The context's first viewport is the drawable's size at this moment.
    viewportWidth_ = width();
    viewportHeight_ = height();
    return true;
}

void GlxDrawingTarget::present() {
    if (surface_ == Surface::Copied) {
        // The frame must be in the pixmap before the server copies it.
        glFinish();
        if (!windowLost()) {
            const unsigned long errorsBefore = XErrorLog::count(display_);
            XCopyArea(display_, pixmap_, window_, gc_, 0, 0, static_cast<unsigned>(pixmapWidth_),
                      static_cast<unsigned>(pixmapHeight_), 0, 0);
            XSync(display_, False);
            if (XErrorLog::count(display_) != errorsBefore)
                lost_.store(true, std::memory_order_release);
        }
    } else {
        // Whatever the driver's requests for the last frame provoked has been
        // recorded by now or will be by the next frame: at the first error,
        // stop presenting into a window that may be gone.
        if (XErrorLog::count(display_) != errorsSeen_)
            lost_.store(true, std::memory_order_release);
        if (windowLost())
            glFinish();
        else if (doubleBuffered_)
            glXSwapBuffers(display_, window_);
        else
            glFlush();
    }
    // The renderer never sets a viewport and keeps a fixed 4:3 projection, so a
    // resized window would otherwise keep drawing into its old corner. Follow
    // the window from the next frame on; this runs between frames, on the
    // thread that owns the context.
    const int w = width();
    const int h = height();
    if ((w == viewportWidth_ && h == viewportHeight_) || windowLost())
        return;
    if (surface_ == Surface::Copied) {
        Pixmap oldPixmap = pixmap_;
        GLXPixmap oldGlxPixmap = glxPixmap_;
        if (!makePixmap(w, h))
            return; // keep drawing at the old size; the next frame tries again
        glXMakeCurrent(display_, glxPixmap_, context_);
        glXDestroyGLXPixmap(display_, oldGlxPixmap);
        XFreePixmap(display_, oldPixmap);
    }
    glViewport(0, 0, w, h);
    viewportWidth_ = w;
    viewportHeight_ = h;
}

void GlxDrawingTarget::releaseCurrent() {
    // A context still current on a thread that has ended is never freed by
    // glXDestroyContext; unbinding it here lets the window thread delete it.
    glXMakeCurrent(display_, None, nullptr);
}

void GlxDrawingTarget::resize(int width, int height) {
    width_.store(width, std::memory_order_relaxed);
    height_.store(height, std::memory_order_relaxed);
}
