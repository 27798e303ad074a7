#include "host/x11/x11_host.h"

#include "host/common/closing_rules.h"
#include "host/posix/signal_pipe.h"
#include "host/x11/server_loss_guard.h"
#include "host/x11/x_error_log.h"

#include <GL/glx.h>
#include <X11/Xutil.h>
#include <X11/extensions/dpms.h>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>

namespace {

int onXConnectionLost(Display*) {
    static const char text[] = "veltrane: lost the connection to the X server\n";
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, text, sizeof text - 1);
    // Xlib would call exit() next, running destructors under a live thread.
    _exit(exitCode(ExitStatus::Environment));
}

std::string displayFailure(const char* wanted) {
    const char* name = wanted ? wanted : std::getenv("DISPLAY");
    return std::string("cannot open the X display \"") + (name ? name : "") + "\"";
}

} // namespace

X11Host::~X11Host() {
    closeContext();
    closeWindow();
}

ExitStatus X11Host::open(ClosingRules& rules) {
    XErrorLog::install();
    XSetIOErrorHandler(onXConnectionLost);

    const char* wantedDisplay = x11_.display.empty() ? nullptr : x11_.display.c_str();
    display_ = XOpenDisplay(wantedDisplay);
    if (!display_) {
        std::fprintf(stderr, "veltrane: %s\n", displayFailure(wantedDisplay).c_str());
        return ExitStatus::Environment;
    }
    ServerLossGuard::install();
    ServerLossGuard::watch(ConnectionNumber(display_));
    int dpmsEvent = 0;
    int dpmsError = 0;
    hasDpms_ = DPMSQueryExtension(display_, &dpmsEvent, &dpmsError) && DPMSCapable(display_);
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(display_, &errorBase, &eventBase)) {
        std::fprintf(stderr, "%s\n", noOpenGlText);
        return ExitStatus::NoOpenGl;
    }
    const ExitStatus status = acquireSaverWindow(display_, saver_, x11_, window_);
    if (status != ExitStatus::Ok)
        return status;
    // The anchor is where the pointer was when the saver appeared.
    if (window_.pointer)
        rules.anchorPointer(window_.pointer->first, window_.pointer->second);
    // A signal during start-up ends the run before the expensive part.
    if (signals_.pending()) {
        rules.signalled();
        return ExitStatus::Ok;
    }
    return makeContext();
}

ExitStatus X11Host::makeContext() {
    GlxContext::Outcome outcome = GlxContext::Outcome::Made;
    errorsSeen_ = XErrorLog::count(display_);
    context_ = GlxContext::create(
        DisplayString(display_), window_.window, window_.visual, window_.width, window_.height,
        window_.own ? GlxDrawingTarget::Surface::Direct : GlxDrawingTarget::Surface::Copied,
        outcome);
    if (outcome == GlxContext::Outcome::NoConnection) {
        std::fprintf(stderr, "veltrane: cannot open a second connection to the X display\n");
        return ExitStatus::Environment;
    }
    if (outcome == GlxContext::Outcome::NoOpenGl) {
        std::fprintf(stderr, "%s\n", noOpenGlText);
        return ExitStatus::NoOpenGl;
    }
    return ExitStatus::Ok;
}

std::optional<ExitStatus> X11Host::pump(ClosingRules& rules, int milliseconds) {
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {signals_.fd(), POLLIN, 0}};
    if (milliseconds > 0 && XPending(display_) == 0 && !signals_.pending())
        poll(fds, signals_.fd() >= 0 ? 2 : 1, milliseconds);
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (const std::optional<ExitStatus> status = handle(event, rules))
            return status;
        if (rules.closed())
            return std::nullopt;
    }
    if (signals_.take() != 0)
        rules.signalled();
    reportNewErrors();
    if (context_ && context_->windowLost())
        return windowLost();
    queryDisplayPower();
    return std::nullopt;
}

void X11Host::queryDisplayPower() {
    const auto now = std::chrono::steady_clock::now();
    if (!hasDpms_ || now < nextDpmsQuery_)
        return;
    nextDpmsQuery_ = now + std::chrono::seconds(1);
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (DPMSInfo(display_, &level, &enabled))
        visibility_.displayPower(enabled != False, level);
    updateFrameWanted();
}

void X11Host::updateFrameWanted() {
    if (context_)
        context_->target().setFrameWanted(visibility_.frameWanted());
}

std::optional<ExitStatus> X11Host::handle(const XEvent& event, ClosingRules& rules) {
    switch (event.type) {
    case DestroyNotify:
        if (event.xdestroywindow.window == window_.window) {
            windowGone_ = true;
            return ExitStatus::Ok;
        }
        break;
    case ConfigureNotify:
        if (event.xconfigure.window == window_.window && context_)
            context_->resize(event.xconfigure.width, event.xconfigure.height);
        break;
    case VisibilityNotify:
        if (event.xvisibility.window == window_.window) {
            visibility_.windowVisibility(event.xvisibility.state);
            updateFrameWanted();
        }
        break;
    case MapNotify:
        // Keys go to the saver whatever has the focus; without a window
        // manager nothing else would give it to us.
        if (window_.own && saver_.shape == SaverShape::FullScreen)
            XGrabKeyboard(display_, window_.window, False, GrabModeAsync, GrabModeAsync,
                          CurrentTime);
        break;
    case ClientMessage:
        if (window_.own && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == window_.deleteWindow)
            rules.windowCloseRequested();
        break;
    case KeyPress:
        rules.keyPressed();
        break;
    case ButtonPress:
        rules.buttonPressed();
        break;
    case MotionNotify:
        if (event.xmotion.same_screen)
            rules.pointerAt(event.xmotion.x_root, event.xmotion.y_root);
        break;
    default:
        break;
    }
    return std::nullopt;
}

bool X11Host::windowStillThere() {
    XWindowAttributes attributes = {};
    const unsigned long errorsBefore = XErrorLog::count(display_);
    if (XGetWindowAttributes(display_, window_.window, &attributes))
        return true;
    errorsSeen_ += XErrorLog::count(display_) - errorsBefore;
    windowGone_ = true;
    return false;
}

ExitStatus X11Host::windowLost() {
    if (!windowStillThere())
        return ExitStatus::Ok;
    std::fprintf(stderr, "veltrane: cannot draw into window 0x%lx\n", window_.window);
    return ExitStatus::Environment;
}

ExitStatus X11Host::cannotDraw() {
    // A window destroyed under the saver is an ordinary end; otherwise the
    // run would go on black, which is reported as a GL set-up that failed.
    if (!windowStillThere())
        return ExitStatus::Ok;
    std::fprintf(stderr, "%s\n", noOpenGlText);
    return ExitStatus::NoOpenGl;
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

void X11Host::closeWindow() {
    if (!display_)
        return;
    releaseSaverWindow(display_, window_, windowGone_);
    ServerLossGuard::watch(-1);
    XErrorLog::forget(display_);
    XCloseDisplay(display_);
    display_ = nullptr;
}

std::optional<std::string> x11DisplayFailure(const std::string& name) {
    const char* wanted = name.empty() ? nullptr : name.c_str();
    Display* display = XOpenDisplay(wanted);
    if (!display)
        return displayFailure(wanted);
    XCloseDisplay(display);
    return std::nullopt;
}
