#include "host/x11/x11_host.h"

#include "host/linux/frame_report.h"
#include "host/linux/mouse_travel.h"
#include "host/linux/signal_pipe.h"
#include "host/x11/glx_saver.h"
#include "host/x11/server_loss_guard.h"
#include "host/x11/x11_target_window.h"
#include "host/x11/x_error_log.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int pollMilliseconds = 50;

int onXConnectionLost(Display*) {
    static const char text[] = "veltrane: lost the connection to the X server\n";
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, text, sizeof text - 1);
    // Xlib would call exit() next, running destructors under a live thread.
    _exit(HostExit::environment);
}

class X11Host {
public:
    explicit X11Host(const HostOptions& options) : options_(options) {}
    ~X11Host() { teardown(); }
    X11Host(const X11Host&) = delete;
    X11Host& operator=(const X11Host&) = delete;

    int run(const AnimationFactory& factory, SignalPipe& signals);

private:
    HostOptions options_;
    Display* display_ = nullptr;
    bool windowGone_ = false;
    MouseTravel travel_;
    X11TargetWindow target_;
    std::unique_ptr<GlxSaver> saver_;
    std::optional<FrameReport> frameReport_;

    bool closesOnInput() const {
        return options_.mode == HostMode::Window || options_.mode == HostMode::FullScreen;
    }
    int loop(SignalPipe& signals);
    // Returns an exit status once the event ends the run, else -1.
    int handle(const XEvent& event);
    // After the drawing side could not present into the window: 0 if the
    // window is gone (the daemon destroyed it), else a reported error.
    bool windowStillThere();
    int windowLost();
    int cannotDraw();
    // Reports X errors on the window thread's connection that nobody expected.
    void reportNewErrors();
    unsigned long errorsSeen_ = 0;
    bool teardown();
};

int X11Host::run(const AnimationFactory& factory, SignalPipe& signals) {
    XErrorLog::install();
    XSetIOErrorHandler(onXConnectionLost);

    const char* wantedDisplay = options_.display.empty() ? nullptr : options_.display.c_str();
    display_ = XOpenDisplay(wantedDisplay);
    if (!display_) {
        const char* name = wantedDisplay ? wantedDisplay : std::getenv("DISPLAY");
        std::fprintf(stderr, "veltrane: cannot open the X display \"%s\"\n", name ? name : "");
        return HostExit::environment;
    }
    ServerLossGuard::install();
    ServerLossGuard::watch(ConnectionNumber(display_));
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(display_, &errorBase, &eventBase)) {
        std::fprintf(stderr, "%s\n", x11NoGlModeText);
        return HostExit::noGlMode;
    }

    int status = acquireTargetWindow(display_, options_, target_);
    if (status != 0)
        return status;
    // The anchor is where the pointer was when the saver appeared.
    if (target_.pointer)
        travel_.setAnchor(target_.pointer->first, target_.pointer->second);
    // A signal during start-up ends the run before the expensive part.
    if (signals.pending())
        return HostExit::ok;

    GlxSaver::Outcome saverStatus = GlxSaver::Outcome::Running;
    frameReport_.emplace();
    GlxSaver::Drawing drawing;
    drawing.surface =
        target_.own ? GlxDrawingTarget::Surface::Direct : GlxDrawingTarget::Surface::Copied;
    drawing.fps = options_.fps;
    errorsSeen_ = XErrorLog::count(display_);
    saver_ = GlxSaver::create(DisplayString(display_), target_.window, target_.visual,
                              target_.width, target_.height, drawing, factory, saverStatus);
    if (saverStatus == GlxSaver::Outcome::NoConnection) {
        std::fprintf(stderr, "veltrane: cannot open a second connection to the X display\n");
        return HostExit::environment;
    }
    if (saverStatus == GlxSaver::Outcome::NoGlMode) {
        std::fprintf(stderr, "%s\n", x11NoGlModeText);
        return HostExit::noGlMode;
    }
    status = loop(signals);
    if (!teardown() && status == HostExit::ok) {
        std::fprintf(stderr, "veltrane: the simulation failed while shutting down\n");
        status = HostExit::simulationFailed;
    }
    return status;
}

int X11Host::loop(SignalPipe& signals) {
    for (;;) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            int status = handle(event);
            if (status >= 0)
                return status;
        }
        if (signals.take() != 0)
            return HostExit::ok;
        reportNewErrors();
        if (saver_->windowLost())
            return windowLost();
        if (saver_->cannotDraw())
            return cannotDraw();
        if (saver_->failed()) {
            const std::string what = saver_->failureMessage();
            std::fprintf(stderr,
                         "veltrane: the simulation stopped because of an internal error%s%s\n",
                         what.empty() ? "" : ": ", what.c_str());
            return HostExit::simulationFailed;
        }
        pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {signals.fd(), POLLIN, 0}};
        poll(fds, signals.fd() >= 0 ? 2 : 1, pollMilliseconds);
    }
}

int X11Host::handle(const XEvent& event) {
    switch (event.type) {
    case DestroyNotify:
        if (event.xdestroywindow.window == target_.window) {
            windowGone_ = true;
            return HostExit::ok;
        }
        break;
    case ConfigureNotify:
        if (event.xconfigure.window == target_.window)
            saver_->resize(event.xconfigure.width, event.xconfigure.height);
        break;
    case MapNotify:
        // Keys go to the saver whatever has the focus; without a window
        // manager nothing else would give it to us.
        if (target_.own && options_.mode == HostMode::FullScreen)
            XGrabKeyboard(display_, target_.window, False, GrabModeAsync, GrabModeAsync,
                          CurrentTime);
        break;
    case ClientMessage:
        if (target_.own && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == target_.deleteWindow)
            return HostExit::ok;
        break;
    case KeyPress:
    case ButtonPress:
        if (closesOnInput())
            return HostExit::ok;
        break;
    case MotionNotify:
        if (closesOnInput() && event.xmotion.same_screen &&
            travel_.exceeded(event.xmotion.x_root, event.xmotion.y_root))
            return HostExit::ok;
        break;
    default:
        break;
    }
    return -1;
}

bool X11Host::windowStillThere() {
    // A DestroyNotify may be on its way; asking the server settles it.
    XWindowAttributes attributes = {};
    const unsigned long errorsBefore = XErrorLog::count(display_);
    if (XGetWindowAttributes(display_, target_.window, &attributes))
        return true;
    errorsSeen_ += XErrorLog::count(display_) - errorsBefore;
    windowGone_ = true;
    return false;
}

int X11Host::windowLost() {
    if (!windowStillThere())
        return HostExit::ok;
    std::fprintf(stderr, "veltrane: cannot draw into window 0x%lx\n", target_.window);
    return HostExit::environment;
}

int X11Host::cannotDraw() {
    // A window destroyed under the saver is an ordinary end; otherwise the
    // run would go on black, which is reported as a GL set-up that failed.
    if (!windowStillThere())
        return HostExit::ok;
    std::fprintf(stderr, "%s\n", x11NoGlModeText);
    return HostExit::noGlMode;
}

void X11Host::reportNewErrors() {
    const unsigned long count = XErrorLog::count(display_);
    if (count == errorsSeen_)
        return;
    XErrorLog::Last last = XErrorLog::last(display_);
    std::fprintf(stderr, "veltrane: the X server refused a request (error %d, request %d, 0x%lx)\n",
                 last.errorCode, last.requestCode, last.resource);
    errorsSeen_ = count;
}

bool X11Host::teardown() {
    bool ok = true;
    if (saver_) {
        ok = saver_->shutdown();
        if (frameReport_)
            frameReport_->print(saver_->frames());
        saver_.reset();
    }
    if (display_) {
        releaseTargetWindow(display_, target_, windowGone_);
        ServerLossGuard::watch(-1);
        XErrorLog::forget(display_);
        XCloseDisplay(display_);
        display_ = nullptr;
    }
    return ok;
}

} // namespace

int runX11Host(const HostOptions& options, const AnimationFactory& factory, SignalPipe& signals) {
    X11Host host(options);
    return host.run(factory, signals);
}
