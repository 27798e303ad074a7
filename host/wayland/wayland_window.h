#pragma once

#include "host/wayland/surface_size.h"

#include <cstdint>
#include <functional>

class WaylandConnection;
struct wl_output;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;

// The saver's xdg-shell toplevel "Veltrane" (app id "veltrane"): a window of
// the asked size, or full screen on one output. It acknowledges every
// configure at once and works out the size to draw at from the configured
// size and the scale of the outputs the surface is on. Window thread only;
// the surface itself is drawn into from the simulation thread through EGL.
class WaylandWindow {
public:
    struct Request {
        // Null: a window; else full screen on that output.
        wl_output* fullscreenOn = nullptr;
        std::uint32_t outputName = 0;
        // The size when the compositor leaves it to the client.
        int width = 1024;
        int height = 768;
    };

    // Creates the surface and its roles and commits them without a buffer, as
    // xdg-shell requires before the first configure. The connection outlives
    // the window.
    WaylandWindow(WaylandConnection& connection, const Request& request);
    ~WaylandWindow();
    WaylandWindow(const WaylandWindow&) = delete;
    WaylandWindow& operator=(const WaylandWindow&) = delete;

    wl_surface* surface() const { return surface_; }
    // Waits for the first configure; false if the connection failed first.
    bool waitConfigured();
    // The compositor asked the window to close (xdg_toplevel.close).
    bool closeRequested() const { return closeRequested_; }
    // The size to draw at, once configured.
    SurfaceSize size() const { return size_; }
    // True once after each change of size() since the last call.
    bool takeResized();
    // Called from the dispatch on every configure, before the events that
    // follow it are dispatched.
    std::function<void()> onConfigure;

private:
    static void surfaceEnter(void* data, wl_surface*, wl_output* output);
    static void surfaceLeave(void* data, wl_surface*, wl_output* output);
    static void configure(void* data, xdg_surface* surface, std::uint32_t serial);
    static void toplevelConfigure(void* data, xdg_toplevel*, std::int32_t width,
                                  std::int32_t height, struct wl_array*);
    static void toplevelClose(void* data, xdg_toplevel*);
    void update();

    WaylandConnection& connection_;
    Request request_;
    wl_surface* surface_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    bool configured_ = false;
    bool closeRequested_ = false;
    bool resized_ = false;
    int configuredWidth_ = 0;
    int configuredHeight_ = 0;
    SurfaceSize size_;
};
