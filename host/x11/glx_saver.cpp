#include "host/x11/glx_saver.h"

#include "host/x11/x_error_log.h"

#include <X11/Xutil.h>

namespace {

struct GlVisual {
    XVisualInfo info = {};
    bool doubleBuffered = false;
};

bool usable(Display* display, XVisualInfo& info, bool& doubleBuffered) {
    int useGl = 0;
    int rgba = 0;
    int twoBuffers = 0;
    glXGetConfig(display, &info, GLX_USE_GL, &useGl);
    glXGetConfig(display, &info, GLX_RGBA, &rgba);
    glXGetConfig(display, &info, GLX_DOUBLEBUFFER, &twoBuffers);
    doubleBuffered = twoBuffers != 0;
    return useGl && rgba;
}

// Direct drawing uses the window's own visual, as a hack must. A pixmap copied
// into the window needs the window's depth and pixel layout, and GLX pixmaps
// are single-buffered: the window's visual if it fits, else another one that
// matches it, preferably with a depth buffer.
std::optional<GlVisual> chooseVisual(Display* display, VisualID visual,
                                     GlxDrawingTarget::Surface surface) {
    XVisualInfo wanted = {};
    wanted.visualid = visual;
    int count = 0;
    XVisualInfo* own = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    if (!own)
        return std::nullopt;
    GlVisual best;
    best.info = own[0];
    XFree(own);
    bool doubleBuffered = false;
    const bool ownUsable = usable(display, best.info, doubleBuffered);
    best.doubleBuffered = doubleBuffered;
    if (surface == GlxDrawingTarget::Surface::Direct)
        return ownUsable ? std::optional<GlVisual>(best) : std::nullopt;

    wanted = best.info;
    XVisualInfo* all =
        XGetVisualInfo(display,
                       VisualScreenMask | VisualDepthMask | VisualClassMask | VisualRedMaskMask |
                           VisualGreenMaskMask | VisualBlueMaskMask,
                       &wanted, &count);
    std::optional<GlVisual> chosen;
    int chosenScore = -1;
    for (int i = 0; all && i < count; ++i) {
        if (!usable(display, all[i], doubleBuffered) || doubleBuffered)
            continue;
        int depthBits = 0;
        glXGetConfig(display, &all[i], GLX_DEPTH_SIZE, &depthBits);
        const int score = (depthBits > 0 ? 2 : 0) + (all[i].visualid == visual ? 1 : 0);
        if (score > chosenScore) {
            chosen = GlVisual{all[i], false};
            chosenScore = score;
        }
    }
    if (all)
        XFree(all);
    return chosen;
}

} // namespace

std::unique_ptr<GlxSaver> GlxSaver::create(const char* displayName, Window window, VisualID visual,
                                           int width, int height, const Drawing& drawing,
                                           const AnimationFactory& factory, Outcome& outcome) {
    std::unique_ptr<GlxSaver> saver(new GlxSaver());
    saver->display_ = XOpenDisplay(displayName);
    if (!saver->display_) {
        outcome = Outcome::NoConnection;
        return nullptr;
    }
    GlxDrawingTarget::Surface surface = drawing.surface;
    std::optional<GlVisual> chosen = chooseVisual(saver->display_, visual, surface);
    if (!chosen && surface == GlxDrawingTarget::Surface::Copied) {
        // A server without a single-buffered GL visual of the window's
        // depth: draw into the window itself, which a hack still may; a
        // destroyed window is then seen by the first failed request.
        surface = GlxDrawingTarget::Surface::Direct;
        chosen = chooseVisual(saver->display_, visual, surface);
    }
    if (chosen)
        saver->context_ = glXCreateContext(saver->display_, &chosen->info, nullptr, True);
    if (!saver->context_) {
        outcome = Outcome::NoGlMode;
        return nullptr; // the destructor closes the connection
    }
    saver->target_ = std::make_unique<GlxDrawingTarget>(
        saver->display_, window, chosen->info, saver->context_, chosen->doubleBuffered, surface,
        width, height, drawing.fps ? std::make_unique<FpsOverlay>() : nullptr);
    saver->animation_ = factory(*saver->target_); // on a throw the destructor releases the rest
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
        animationOk_ = animation_->shutdown();
        finalFrames_ = animation_->frames(); // for the run's report
        // Gives the process-wide drawing target back before the target goes.
        animation_.reset();
    }
    target_.reset();
    if (context_) {
        // The simulation thread released it as it ended, so this frees it.
        glXDestroyContext(display_, context_);
        context_ = nullptr;
    }
    if (display_) {
        XErrorLog::forget(display_);
        XCloseDisplay(display_);
        display_ = nullptr;
    }
    return animationOk_;
}

void GlxSaver::resize(int width, int height) {
    if (target_)
        target_->resize(width, height);
}
