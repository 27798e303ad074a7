#include "host/wayland/wayland_window.h"

#include "host/wayland/wayland_connection.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

WaylandWindow::WaylandWindow(WaylandConnection& connection, const Request& request)
    : connection_(connection), request_(request) {
    static const wl_surface_listener surfaceListener = {.enter = surfaceEnter,
                                                        .leave = surfaceLeave};
    static const xdg_surface_listener xdgSurfaceListener = {.configure = configure};
    static const xdg_toplevel_listener toplevelListener = {.configure = toplevelConfigure,
                                                           .close = toplevelClose,
                                                           .configure_bounds = nullptr,
                                                           .wm_capabilities = nullptr};
    if (request_.fullscreenOn)
        connection_.scales().setPreferred(request_.outputName);
    surface_ = wl_compositor_create_surface(connection_.compositor());
    wl_surface_add_listener(surface_, &surfaceListener, this);
    xdgSurface_ = xdg_wm_base_get_xdg_surface(connection_.wmBase(), surface_);
    xdg_surface_add_listener(xdgSurface_, &xdgSurfaceListener, this);
    toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
    xdg_toplevel_add_listener(toplevel_, &toplevelListener, this);
    xdg_toplevel_set_title(toplevel_, "Veltrane");
    xdg_toplevel_set_app_id(toplevel_, "veltrane");
    if (request_.fullscreenOn)
        xdg_toplevel_set_fullscreen(toplevel_, request_.fullscreenOn);
    wl_surface_commit(surface_);
    connection_.onScaleChanged = [this] { update(); };
}

WaylandWindow::~WaylandWindow() {
    connection_.onScaleChanged = nullptr;
    xdg_toplevel_destroy(toplevel_);
    xdg_surface_destroy(xdgSurface_);
    wl_surface_destroy(surface_);
}

bool WaylandWindow::waitConfigured() {
    while (!configured_)
        if (!connection_.roundtrip())
            return false;
    return true;
}

bool WaylandWindow::takeResized() {
    const bool resized = resized_;
    resized_ = false;
    return resized;
}

void WaylandWindow::update() {
    const SurfaceSize size =
        chooseSurfaceSize(configuredWidth_, configuredHeight_, request_.width, request_.height,
                          connection_.scales().surfaceScale());
    if (size == size_)
        return;
    size_ = size;
    resized_ = true;
}

void WaylandWindow::surfaceEnter(void* data, wl_surface*, wl_output* output) {
    auto* self = static_cast<WaylandWindow*>(data);
    self->connection_.scales().enter(self->connection_.outputName(output));
    self->update();
}

void WaylandWindow::surfaceLeave(void* data, wl_surface*, wl_output* output) {
    auto* self = static_cast<WaylandWindow*>(data);
    self->connection_.scales().leave(self->connection_.outputName(output));
    self->update();
}

void WaylandWindow::toplevelConfigure(void* data, xdg_toplevel*, std::int32_t width,
                                      std::int32_t height, wl_array*) {
    auto* self = static_cast<WaylandWindow*>(data);
    self->configuredWidth_ = width;
    self->configuredHeight_ = height;
}

void WaylandWindow::configure(void* data, xdg_surface* surface, std::uint32_t serial) {
    auto* self = static_cast<WaylandWindow*>(data);
    // The next frame (committed by the simulation thread) may still have the
    // old size; the frame after it has the new one.
    xdg_surface_ack_configure(surface, serial);
    self->configured_ = true;
    self->update();
    if (self->onConfigure)
        self->onConfigure();
}

void WaylandWindow::toplevelClose(void* data, xdg_toplevel*) {
    static_cast<WaylandWindow*>(data)->closeRequested_ = true;
}
