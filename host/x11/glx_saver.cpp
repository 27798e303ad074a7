#include "host/x11/glx_saver.h"

#include <X11/Xutil.h>

std::unique_ptr<GlxSaver> GlxSaver::create(const char* displayName, Window window, VisualID visual,
                                           int width, int height, const AnimationFactory& factory,
                                           Outcome& outcome) {
    std::unique_ptr<GlxSaver> saver(new GlxSaver());
    saver->display_ = XOpenDisplay(displayName);
    if (!saver->display_) {
        outcome = Outcome::NoConnection;
        return nullptr;
    }
    int screenCount = 0;
    XVisualInfo wanted = {};
    wanted.visualid = visual;
    XVisualInfo* info = XGetVisualInfo(saver->display_, VisualIDMask, &wanted, &screenCount);
    int useGl = 0;
    int rgba = 0;
    int doubleBuffered = 0;
    if (info) {
        glXGetConfig(saver->display_, info, GLX_USE_GL, &useGl);
        glXGetConfig(saver->display_, info, GLX_RGBA, &rgba);
        glXGetConfig(saver->display_, info, GLX_DOUBLEBUFFER, &doubleBuffered);
        if (useGl && rgba)
            saver->context_ = glXCreateContext(saver->display_, info, nullptr, True);
        XFree(info);
    }
    if (!saver->context_) {
        outcome = Outcome::NoGlMode;
        return nullptr; // the destructor closes the connection
    }
    saver->target_ = std::make_unique<GlxDrawingTarget>(saver->display_, window, saver->context_,
                                                        doubleBuffered != 0, width, height);
    setDrawingTarget(saver->target_.get());
    saver->animation_ = factory(); // on a throw the destructor releases the rest
    outcome = Outcome::Running;
    return saver;
}

GlxSaver::~GlxSaver() {
    shutdown();
}

bool GlxSaver::shutdown() {
    if (torn_down_)
        return animationOk_;
    torn_down_ = true;
    if (animation_) {
        // Kept (shut down) so frames() still answers for the run's report.
        animationOk_ = animation_->shutdown();
    }
    if (target_) {
        setDrawingTarget(nullptr);
        target_.reset();
    }
    if (context_) {
        glXDestroyContext(display_, context_);
        context_ = nullptr;
    }
    if (display_) {
        XCloseDisplay(display_);
        display_ = nullptr;
    }
    return animationOk_;
}

void GlxSaver::resize(int width, int height) {
    if (target_)
        target_->resize(width, height);
}
