#pragma once

#include "host/common/host.h"
#include "host/common/saver_request.h"
#include "host/egl/desktop_gl_context.h"

#include <EGL/egl.h>
#include <cstdint>
#include <memory>
#include <optional>

class SignalPipe;
class WaylandConnection;
class WaylandInput;
class WaylandSurfaceTarget;
class WaylandWindow;

// The Wayland host of one saver surface: a connection of its own to
// $WAYLAND_DISPLAY, an xdg-shell toplevel (a window, or full screen on one
// output), an EGL context for it and its drawing target. It translates the
// seat's keys, buttons, touches and pointer travel (see WaylandInput), the
// compositor's close request and
// `signals` into the closing rules. A lost compositor ends the run with
// Environment; a full screen's output that is gone with OutputGone.
class WaylandHost final : public Host {
public:
    // `output`: the registry name of the output a full screen covers.
    WaylandHost(const SaverRequest& saver, std::uint32_t output, SignalPipe& signals);
    ~WaylandHost() override;
    WaylandHost(const WaylandHost&) = delete;
    WaylandHost& operator=(const WaylandHost&) = delete;

    ExitStatus open(ClosingRules& rules) override;
    DrawingTarget& drawingTarget() override;
    std::optional<ExitStatus> pump(ClosingRules& rules, int milliseconds) override;
    ExitStatus cannotDraw() override;
    void closeContext() override;
    void closeWindow() override;

private:
    SaverRequest saver_;
    std::uint32_t output_;
    SignalPipe& signals_;
    std::unique_ptr<WaylandConnection> connection_;
    EGLDisplay eglDisplay_ = EGL_NO_DISPLAY;
    std::optional<DesktopGlContext> gl_;
    std::unique_ptr<WaylandInput> input_;
    std::unique_ptr<WaylandWindow> window_;
    std::unique_ptr<WaylandSurfaceTarget> target_;
    bool outputGone_ = false;

    bool fullscreen() const { return saver_.shape == SaverShape::FullScreen; }
    std::optional<ExitStatus> connect(ClosingRules& rules);
    std::optional<ExitStatus> makeContext();
    std::optional<ExitStatus> openSurface();
    ExitStatus connectionLost();
};

// Runs the saver on one Wayland surface (full screen on `output`, or a
// window) through the hosted run, until it closes; the exit status, or
// OutputGone when a full screen's output is not there (any more). Whatever
// ends it, the simulation thread has ended and everything is freed when it
// returns.
ExitStatus runWaylandSurface(const SaverRequest& saver, std::uint32_t output, SignalPipe& signals);
