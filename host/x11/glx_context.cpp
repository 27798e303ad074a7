#include "host/x11/glx_context.h"

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

std::unique_ptr<GlxContext> GlxContext::create(const char* displayName, Window window,
                                               VisualID visual, int width, int height,
                                               GlxDrawingTarget::Surface surface,
                                               Outcome& outcome) {
    std::unique_ptr<GlxContext> made(new GlxContext());
    made->display_ = XOpenDisplay(displayName);
    if (!made->display_) {
        outcome = Outcome::NoConnection;
        return nullptr;
    }
    std::optional<GlVisual> chosen = chooseVisual(made->display_, visual, surface);
    if (!chosen && surface == GlxDrawingTarget::Surface::Copied) {
        // A server without a single-buffered GL visual of the window's
        // depth: draw into the window itself, which a hack still may; a
        // destroyed window is then seen by the first failed request.
        surface = GlxDrawingTarget::Surface::Direct;
        chosen = chooseVisual(made->display_, visual, surface);
    }
    if (chosen)
        made->context_ = glXCreateContext(made->display_, &chosen->info, nullptr, True);
    if (!made->context_) {
        outcome = Outcome::NoOpenGl;
        return nullptr; // the destructor closes the connection
    }
    made->target_ =
        std::make_unique<GlxDrawingTarget>(made->display_, window, chosen->info, made->context_,
                                           chosen->doubleBuffered, surface, width, height);
    outcome = Outcome::Made;
    return made;
}

GlxContext::~GlxContext() {
    target_.reset();
    if (context_) {
        // The simulation thread released it as it ended, so this frees it.
        glXDestroyContext(display_, context_);
    }
    if (display_) {
        XErrorLog::forget(display_);
        XCloseDisplay(display_);
    }
}
