#include "host/wayland/wayland_surface_target.h"

#include <GL/gl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

std::unique_ptr<WaylandSurfaceTarget>
WaylandSurfaceTarget::create(EGLDisplay display, const DesktopGlContext& gl, wl_surface* surface,
                             SurfaceSize size, std::string& error) {
    std::unique_ptr<WaylandSurfaceTarget> target(new WaylandSurfaceTarget());
    target->display_ = display;
    target->context_ = gl.context;
    target->surface_ = surface;
    target->current_ = size;
    target->width_ = size.bufferWidth();
    target->height_ = size.bufferHeight();
    target->window_ = wl_egl_window_create(surface, size.bufferWidth(), size.bufferHeight());
    if (!target->window_) {
        error = "cannot create a wl_egl_window";
        return nullptr;
    }
    // Committed with the first frame.
    wl_surface_set_buffer_scale(surface, size.scale);
    target->eglSurface_ = eglCreateWindowSurface(
        display, gl.config, reinterpret_cast<EGLNativeWindowType>(target->window_), nullptr);
    if (target->eglSurface_ == EGL_NO_SURFACE) {
        error = eglErrorText("EGL cannot create a window surface on the Wayland surface");
        return nullptr;
    }
    return target;
}

WaylandSurfaceTarget::~WaylandSurfaceTarget() {
    if (wl_callback* callback = callback_.exchange(nullptr))
        wl_callback_destroy(callback);
    if (eglSurface_ != EGL_NO_SURFACE)
        eglDestroySurface(display_, eglSurface_);
    if (window_)
        wl_egl_window_destroy(window_);
}

bool WaylandSurfaceTarget::makeCurrent() {
    if (eglMakeCurrent(display_, eglSurface_, eglSurface_, context_) != EGL_TRUE)
        return false;
    // Never wait for a frame callback: a hidden surface may get none.
    eglSwapInterval(display_, 0);
    glViewport(0, 0, current_.bufferWidth(), current_.bufferHeight());
    return true;
}

void WaylandSurfaceTarget::present() {
    if (lost()) {
        glFinish();
        return;
    }
    // Asked before the swap, which commits it with the frame.
    if (gate_.presented(FrameCallbackGate::Clock::now())) {
        static const wl_callback_listener listener = {.done = frameDone};
        wl_callback* callback = wl_surface_frame(surface_);
        wl_callback_add_listener(callback, &listener, this);
        callback_.store(callback, std::memory_order_release);
    }
    if (eglSwapBuffers(display_, eglSurface_) != EGL_TRUE) {
        lost_.store(true, std::memory_order_release);
        return;
    }
    adoptPendingSize();
}

void WaylandSurfaceTarget::frameDone(void* data, wl_callback* callback, std::uint32_t) {
    auto* self = static_cast<WaylandSurfaceTarget*>(data);
    // The simulation thread asks for the next one only once the gate says so.
    self->callback_.store(nullptr, std::memory_order_relaxed);
    wl_callback_destroy(callback);
    self->gate_.callbackDone();
}

void WaylandSurfaceTarget::adoptPendingSize() {
    SurfaceSize wanted;
    {
        std::lock_guard<std::mutex> lock(pendingLock_);
        if (!hasPending_)
            return;
        hasPending_ = false;
        wanted = pending_;
    }
    if (wanted == current_)
        return;
    wl_egl_window_resize(window_, wanted.bufferWidth(), wanted.bufferHeight(), 0, 0);
    if (wanted.scale != current_.scale)
        wl_surface_set_buffer_scale(surface_, wanted.scale);
    // The renderer never sets a viewport; follow the buffer from the next frame on.
    glViewport(0, 0, wanted.bufferWidth(), wanted.bufferHeight());
    current_ = wanted;
    width_.store(wanted.bufferWidth(), std::memory_order_relaxed);
    height_.store(wanted.bufferHeight(), std::memory_order_relaxed);
}

void WaylandSurfaceTarget::releaseCurrent() {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void WaylandSurfaceTarget::resize(SurfaceSize size) {
    std::lock_guard<std::mutex> lock(pendingLock_);
    pending_ = size;
    hasPending_ = true;
}
