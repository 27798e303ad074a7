#include "host/wayland/wayland_host.h"

#include "host/egl/desktop_gl_context.h"
#include "host/linux/exit_status.h"
#include "host/linux/frame_report.h"
#include "host/linux/signal_pipe.h"
#include "host/wayland/output_children.h"
#include "host/wayland/wayland_connection.h"
#include "host/wayland/wayland_input.h"
#include "host/wayland/wayland_surface_target.h"
#include "host/wayland/wayland_window.h"
#include "render/saver_run.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <wayland-client.h>

namespace {

constexpr int pollMilliseconds = 50;
constexpr int notEnded = -1;

const char* noGlText = "veltrane: no desktop OpenGL through EGL on this Wayland compositor";

class WaylandHost {
public:
    WaylandHost(const SurfaceRequest& request, SignalPipe& signals)
        : request_(request), signals_(signals) {}
    ~WaylandHost() { teardown(); }
    WaylandHost(const WaylandHost&) = delete;
    WaylandHost& operator=(const WaylandHost&) = delete;

    int run();

private:
    SurfaceRequest request_;
    SignalPipe& signals_;
    std::unique_ptr<WaylandConnection> connection_;
    EGLDisplay eglDisplay_ = EGL_NO_DISPLAY;
    std::optional<DesktopGlContext> gl_;
    std::unique_ptr<WaylandInput> input_;
    std::unique_ptr<WaylandWindow> window_;
    std::unique_ptr<WaylandSurfaceTarget> target_;
    std::unique_ptr<SaverRun> run_;
    std::optional<FrameReport> frameReport_;
    bool outputGone_ = false;

    int connect();
    int makeContext();
    int openSurface();
    int loop();
    // The run's state after events were dispatched: an exit status, or notEnded.
    int check();
    int connectionLost();
    bool teardown();
};

int WaylandHost::run() {
    int status = connect();
    if (status == notEnded)
        status = makeContext();
    if (status == notEnded)
        status = openSurface();
    if (status != notEnded)
        return status;
    frameReport_.emplace();
    SaverRunSetup setup;
    setup.target = target_.get();
    run_ = std::make_unique<SaverRun>(setup);
    status = loop();
    if (!teardown() && status == exitCode(ExitStatus::Ok)) {
        std::fprintf(stderr, "veltrane: the simulation failed while shutting down\n");
        status = exitCode(ExitStatus::SimulationFailed);
    }
    return status;
}

int WaylandHost::connect() {
    ExitStatus status = ExitStatus::Ok;
    connection_ = connectForSaver(signals_, status);
    if (!connection_)
        return exitCode(status);
    // The seat's devices and the outputs' scales arrive after they are bound:
    // listen before asking.
    input_ = std::make_unique<WaylandInput>(connection_->seat(), request_.fullscreen);
    if (!connection_->roundtrip())
        return signals_.pending() ? exitCode(ExitStatus::Ok) : connectionLost();
    if (request_.fullscreen && !connection_->output(request_.outputName))
        return OutputChildren::outputGoneStatus;
    connection_->onOutputRemoved = [this](std::uint32_t name) {
        if (request_.fullscreen && name == request_.outputName)
            outputGone_ = true;
    };
    return notEnded;
}

int WaylandHost::makeContext() {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (hasEglExtension(clientExtensions, "EGL_KHR_platform_wayland") ||
        hasEglExtension(clientExtensions, "EGL_EXT_platform_wayland"))
        eglDisplay_ =
            eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, connection_->display(), nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (eglDisplay_ == EGL_NO_DISPLAY || eglInitialize(eglDisplay_, &major, &minor) != EGL_TRUE) {
        std::fprintf(stderr, "%s: %s\n", noGlText,
                     eglErrorText("no EGL display on the Wayland platform").c_str());
        return exitCode(ExitStatus::NoGlMode);
    }
    std::string error;
    gl_ = createDesktopGlContext(eglDisplay_, EGL_WINDOW_BIT, "an RGB window", error);
    if (!gl_) {
        std::fprintf(stderr, "%s: %s\n", noGlText, error.c_str());
        return exitCode(ExitStatus::NoGlMode);
    }
    return notEnded;
}

int WaylandHost::openSurface() {
    WaylandWindow::Request wanted;
    if (request_.fullscreen) {
        wanted.fullscreenOn = connection_->output(request_.outputName);
        wanted.outputName = request_.outputName;
    }
    wanted.width = request_.width;
    wanted.height = request_.height;
    // A compositor may configure a full screen 0 x 0 first: the output's size
    // is then the best guess, not the window's.
    const auto [modeWidth, modeHeight] = connection_->outputMode(request_.outputName);
    if (request_.fullscreen && modeWidth > 0 && modeHeight > 0) {
        connection_->scales().setPreferred(request_.outputName);
        const int scale = connection_->scales().surfaceScale();
        wanted.width = logicalSide(modeWidth, scale);
        wanted.height = logicalSide(modeHeight, scale);
    }
    window_ = std::make_unique<WaylandWindow>(*connection_, wanted);
    if (!window_->waitConfigured())
        return signals_.pending() ? exitCode(ExitStatus::Ok) : connectionLost();
    window_->takeResized();
    std::string error;
    target_ = WaylandSurfaceTarget::create(eglDisplay_, *gl_, window_->surface(), window_->size(),
                                           request_.fps ? std::make_unique<FpsOverlay>() : nullptr,
                                           error);
    if (!target_) {
        std::fprintf(stderr, "%s: %s\n", noGlText, error.c_str());
        return exitCode(ExitStatus::NoGlMode);
    }
    return notEnded;
}

int WaylandHost::loop() {
    wl_display* display = connection_->display();
    for (;;) {
        if (wl_display_dispatch_pending(display) < 0)
            return connectionLost();
        const int status = check();
        if (status != notEnded)
            return status;
        if (!connection_->dispatch(pollMilliseconds))
            return connectionLost();
    }
}

int WaylandHost::check() {
    if (signals_.take() != 0 || input_->closeRequested() || window_->closeRequested())
        return exitCode(ExitStatus::Ok);
    if (outputGone_)
        return OutputChildren::outputGoneStatus;
    if (window_->takeResized())
        target_->resize(window_->size());
    if (target_->lost())
        return connectionLost();
    if (run_->cannotDraw()) {
        std::fprintf(stderr, "%s: the context cannot be made current\n", noGlText);
        return exitCode(ExitStatus::NoGlMode);
    }
    if (run_->failed()) {
        const std::string what = run_->failureMessage();
        std::fprintf(stderr, "veltrane: the simulation stopped because of an internal error%s%s\n",
                     what.empty() ? "" : ": ", what.c_str());
        return exitCode(ExitStatus::SimulationFailed);
    }
    return notEnded;
}

int WaylandHost::connectionLost() {
    std::fprintf(stderr, "veltrane: lost the connection to the Wayland compositor \"%s\"\n",
                 WaylandConnection::displayName().c_str());
    return exitCode(ExitStatus::Environment);
}

bool WaylandHost::teardown() {
    bool ok = true;
    if (run_) {
        // The simulation thread ends (and lets the context go) before the
        // surface and the context are destroyed.
        ok = run_->finish();
        if (frameReport_)
            frameReport_->print(run_->ticks());
        run_.reset();
    }
    target_.reset();
    if (gl_) {
        eglDestroyContext(eglDisplay_, gl_->context);
        gl_.reset();
    }
    if (eglDisplay_ != EGL_NO_DISPLAY) {
        eglTerminate(eglDisplay_);
        eglReleaseThread();
        eglDisplay_ = EGL_NO_DISPLAY;
    }
    window_.reset();
    input_.reset();
    connection_.reset();
    return ok;
}

} // namespace

int runWaylandSurface(const SurfaceRequest& request, SignalPipe& signals) {
    WaylandHost host(request, signals);
    return host.run();
}
