#pragma once

#include "render/drawing_target.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <atomic>
#include <memory>

// The saver window as the Loader sees it. Built and owned by the window thread;
// makeCurrent, present and releaseCurrent run on the simulation thread through
// `display`, a connection that only the simulation thread uses while a
// universe exists. The destructor runs on the window thread after that thread
// has ended.
//
// Two ways to reach the window:
// - Direct: the context draws into the window itself. For windows the saver
//   made, which cannot vanish while it draws (and for another program's
//   window on a server without a single-buffered GL visual to copy from).
//   The first X error on the connection stops presenting (windowLost()).
// - Copied: for another program's window (the XScreenSaver daemon's, the
//   settings tool's preview), which may be destroyed at any moment, between
//   two requests of a frame. The context draws into a pixmap the saver owns,
//   and each finished frame is copied into the window with one XCopyArea.
//   Neither the GL driver nor anything else of ours ever asks the server about
//   the foreign window, so its destruction cannot hand the driver a failed
//   query; the copy that fails instead is recorded by XErrorLog, and from then
//   on frames are no longer copied (windowLost()).
class GlxDrawingTarget final : public DrawingTarget {
public:
    enum class Surface { Direct, Copied };

    // `visual` is the context's visual; in Copied mode it has the window's
    // depth.
    GlxDrawingTarget(Display* display, Window window, const XVisualInfo& visual, GLXContext context,
                     bool doubleBuffered, Surface surface, int width, int height);
    ~GlxDrawingTarget() override;
    GlxDrawingTarget(const GlxDrawingTarget&) = delete;
    GlxDrawingTarget& operator=(const GlxDrawingTarget&) = delete;

    bool makeCurrent() override;
    // False while the window thread says nobody can see the window.
    bool frameWanted() override { return wanted_.load(std::memory_order_acquire); }
    // Swaps (or flushes when the window's visual is
    // single-buffered: a hack must use the visual it is given) or copies the
    // pixmap into the window; then adopts the window's latest size as the
    // viewport for the next frame.
    void present() override;
    void releaseCurrent() override;
    int width() const override { return width_.load(std::memory_order_relaxed); }
    int height() const override { return height_.load(std::memory_order_relaxed); }

    // Window thread, on ConfigureNotify.
    void resize(int width, int height);
    // Window thread: whether frames are wanted from the next tick on.
    void setFrameWanted(bool wanted) { wanted_.store(wanted, std::memory_order_release); }
    // True once presenting into the window failed (it has been destroyed, or
    // the server refused the copy); frames are no longer presented.
    bool windowLost() const { return lost_.load(std::memory_order_acquire); }

private:
    // Copied mode, simulation thread: a pixmap of the given size and its GLX
    // drawable; false if the server refused them.
    bool makePixmap(int width, int height);
    void freePixmap();
    // The drawable the context is bound to.
    GLXDrawable drawable() const { return surface_ == Surface::Copied ? glxPixmap_ : window_; }

    Display* display_;
    Window window_;
    XVisualInfo visual_;
    GLXContext context_;
    bool doubleBuffered_;
    Surface surface_;
    std::atomic<int> width_;
    std::atomic<int> height_;
    std::atomic<bool> lost_{false};
    std::atomic<bool> wanted_{true};
    // Simulation thread only: the viewport the context currently has, and in
    // Copied mode the pixmap, its size and the GC of the copy.
    int viewportWidth_ = 0;
    int viewportHeight_ = 0;
    Pixmap pixmap_ = 0;
    GLXPixmap glxPixmap_ = 0;
    GC gc_ = nullptr;
    int pixmapWidth_ = 0;
    int pixmapHeight_ = 0;
    // X errors on `display` when the context was made current.
    unsigned long errorsSeen_ = 0;
};
