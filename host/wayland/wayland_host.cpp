#include "host/wayland/wayland_host.h"

#include "host/common/closing_rules.h"
#include "host/common/hosted_run.h"
#include "host/posix/signal_pipe.h"
#include "host/wayland/wayland_connection.h"
#include "host/wayland/wayland_input.h"
#include "host/wayland/wayland_surface_target.h"
#include "host/wayland/wayland_window.h"

#include <EGL/eglext.h>
#include <cstdio>
#include <wayland-client.h>

namespace {
const char* noGlText = "veltrane: no desktop OpenGL through EGL on this Wayland compositor";
} // namespace

WaylandHost::WaylandHost(const SaverRequest& saver, std::uint32_t output, SignalPipe& signals)
    : saver_(saver), output_(output), signals_(signals) {}

WaylandHost::~WaylandHost() {
    closeContext();
    closeWindow();
}

ExitStatus WaylandHost::open(ClosingRules& rules) {
    std::optional<ExitStatus> failed = connect(rules);
    if (!failed)
        failed = makeContext();
    if (!failed)
        failed = openSurface();
    // A start cut short by a termination signal is no failure: the run ends
    // at once, with Ok.
    if (failed == ExitStatus::Ok)
        rules.signalled();
    return failed.value_or(ExitStatus::Ok);
}

std::optional<ExitStatus> WaylandHost::connect(ClosingRules& rules) {
    ExitStatus status = ExitStatus::Ok;
    connection_ = connectForSaver(signals_, status);
    if (!connection_)
        return status;
    // The seat's devices and the outputs' scales arrive after they are bound:
    // listen before asking.
    input_ = std::make_unique<WaylandInput>(connection_->seat(), connection_->relativePointers(),
                                            fullscreen(), rules);
    if (!connection_->roundtrip())
        return signals_.pending() ? ExitStatus::Ok : connectionLost();
    if (fullscreen() && !connection_->output(output_))
        return ExitStatus::OutputGone;
    connection_->onOutputRemoved = [this](std::uint32_t name) {
        if (fullscreen() && name == output_)
            outputGone_ = true;
    };
    return std::nullopt;
}

std::optional<ExitStatus> WaylandHost::makeContext() {
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
        return ExitStatus::NoOpenGl;
    }
    std::string error;
    gl_ = createDesktopGlContext(eglDisplay_, EGL_WINDOW_BIT, "an RGB window", error);
    if (!gl_) {
        std::fprintf(stderr, "%s: %s\n", noGlText, error.c_str());
        return ExitStatus::NoOpenGl;
    }
    return std::nullopt;
}

std::optional<ExitStatus> WaylandHost::openSurface() {
    WaylandWindow::Request wanted;
    if (fullscreen()) {
        wanted.fullscreenOn = connection_->output(output_);
        wanted.outputName = output_;
    }
    wanted.width = saver_.width;
    wanted.height = saver_.height;
    // A compositor may configure a full screen 0 x 0 first: the output's size
    // is then the best guess, not the window's.
    const auto [modeWidth, modeHeight] = connection_->outputMode(output_);
    if (fullscreen() && modeWidth > 0 && modeHeight > 0) {
        connection_->scales().setPreferred(output_);
        const int scale = connection_->scales().surfaceScale();
        wanted.width = logicalSide(modeWidth, scale);
        wanted.height = logicalSide(modeHeight, scale);
    }
    window_ = std::make_unique<WaylandWindow>(*connection_, wanted);
    // A configure may place or resize the surface under a pointer that has
    // not moved: its old surface position is no anchor any more.
    window_->onConfigure = [this] { input_->surfaceConfigured(); };
    if (!window_->waitConfigured())
        return signals_.pending() ? ExitStatus::Ok : connectionLost();
    window_->takeResized();
    std::string error;
    target_ =
        WaylandSurfaceTarget::create(eglDisplay_, *gl_, window_->surface(), window_->size(), error);
    if (!target_) {
        std::fprintf(stderr, "%s: %s\n", noGlText, error.c_str());
        return ExitStatus::NoOpenGl;
    }
    return std::nullopt;
}

DrawingTarget& WaylandHost::drawingTarget() {
    return *target_;
}

std::optional<ExitStatus> WaylandHost::pump(ClosingRules& rules, int milliseconds) {
    if (milliseconds > 0 && !connection_->dispatch(milliseconds))
        return connectionLost();
    if (wl_display_dispatch_pending(connection_->display()) < 0)
        return connectionLost();
    input_->endOfBatch();
    if (signals_.take() != 0)
        rules.signalled();
    if (window_->closeRequested())
        rules.windowCloseRequested();
    if (rules.closed())
        return std::nullopt;
    if (outputGone_)
        return ExitStatus::OutputGone;
    if (window_->takeResized())
        target_->resize(window_->size());
    if (target_->lost())
        return connectionLost();
    return std::nullopt;
}

ExitStatus WaylandHost::cannotDraw() {
    std::fprintf(stderr, "%s: the context cannot be made current\n", noGlText);
    return ExitStatus::NoOpenGl;
}

ExitStatus WaylandHost::connectionLost() {
    std::fprintf(stderr, "veltrane: lost the connection to the Wayland compositor \"%s\"\n",
                 WaylandConnection::displayName().c_str());
    return ExitStatus::Environment;
}

void WaylandHost::closeContext() {
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
}

void WaylandHost::closeWindow() {
    window_.reset();
    input_.reset();
    connection_.reset();
}

ExitStatus runWaylandSurface(const SaverRequest& saver, std::uint32_t output, SignalPipe& signals) {
    WaylandHost host(saver, output, signals);
    HostedSaver hosted;
    hosted.fps = saver.fps;
    return runHosted(host, hosted);
}
