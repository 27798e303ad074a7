#pragma once

#include "host/egl/desktop_gl_context.h"
#include "host/wayland/frame_callback_gate.h"
#include "host/wayland/surface_size.h"
#include "render/drawing_target.h"

#include <EGL/egl.h>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

struct wl_callback;
struct wl_egl_window;
struct wl_surface;

// A Wayland surface as the Loader sees it: an EGL window surface on a
// wl_egl_window. Built and destroyed on the window thread (destroyed only
// after the simulation thread has ended); makeCurrent, present and
// releaseCurrent run on the simulation thread.
//
// Presenting never waits for the compositor: the swap interval is 0, so a
// surface the compositor hides (and sends no frame callbacks) still lets every
// tick end, and a dead connection makes the swap fail instead of blocking;
// from the first failed swap on, frames are no longer presented (lost()).
// Instead presented frames ask for frame callbacks, and a surface whose
// callback does not come back is not drawn (FrameCallbackGate): a surface
// nobody sees costs no drawing; the callback, dispatched by the window thread
// with the connection's other events, makes the next tick draw.
//
// Sizes change between frames: the window thread hands a new size over with
// resize(); the simulation thread adopts it right after its next swap, so the
// new buffer size, the buffer scale and the viewport all come with the same
// commit, the next frame's.
class WaylandSurfaceTarget final : public DrawingTarget {
public:
    // Null with a message when EGL refuses the window surface. The display
    // and context outlive the target.
    static std::unique_ptr<WaylandSurfaceTarget> create(EGLDisplay display,
                                                        const DesktopGlContext& gl,
                                                        wl_surface* surface, SurfaceSize size,
                                                        std::string& error);
    ~WaylandSurfaceTarget() override;
    WaylandSurfaceTarget(const WaylandSurfaceTarget&) = delete;
    WaylandSurfaceTarget& operator=(const WaylandSurfaceTarget&) = delete;

    bool makeCurrent() override;
    bool frameWanted() override { return gate_.frameWanted(FrameCallbackGate::Clock::now()); }
    void present() override;
    void releaseCurrent() override;
    // The buffer's size in pixels.
    int width() const override { return width_.load(std::memory_order_relaxed); }
    int height() const override { return height_.load(std::memory_order_relaxed); }

    // Window thread: the size to draw at from the next frame on.
    void resize(SurfaceSize size);
    // True once a swap failed (the connection is gone).
    bool lost() const { return lost_.load(std::memory_order_acquire); }

private:
    WaylandSurfaceTarget() = default;
    void adoptPendingSize();
    static void frameDone(void* data, wl_callback* callback, std::uint32_t time);

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLContext context_ = EGL_NO_CONTEXT;
    EGLSurface eglSurface_ = EGL_NO_SURFACE;
    wl_surface* surface_ = nullptr;
    wl_egl_window* window_ = nullptr;
    std::atomic<int> width_{0};
    std::atomic<int> height_{0};
    std::atomic<bool> lost_{false};
    // The callback out, until the compositor answers it (destroyed by
    // whoever takes it: the dispatch, or the destructor).
    std::atomic<wl_callback*> callback_{nullptr};
    FrameCallbackGate gate_;
    std::mutex pendingLock_;
    SurfaceSize pending_;
    bool hasPending_ = false;
    // Simulation thread only: what the surface has now.
    SurfaceSize current_;
};
