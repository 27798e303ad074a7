#include "host/x11/x11_host.h"

#include "host/x11/daemon_window.h"
#include "host/x11/frame_report.h"
#include "host/x11/glx_saver.h"
#include "host/x11/mouse_travel.h"
#include "host/x11/server_loss_guard.h"
#include "host/x11/signal_pipe.h"
#include "host/x11/window_manager_hints.h"
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

constexpr const char* noGlModeText = "Screen saver can't set an appropriate OpenGL mode";
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
    Window window_ = 0;
    bool ownWindow_ = false;
    bool windowGone_ = false;
    Colormap colormap_ = 0;
    Cursor blankCursor_ = 0;
    Atom deleteWindow_ = None;
    MouseTravel travel_;
    std::unique_ptr<GlxSaver> saver_;
    std::optional<FrameReport> frameReport_;

    bool closesOnInput() const {
        return options_.mode == HostMode::Window || options_.mode == HostMode::FullScreen;
    }
    int createOwnWindow(VisualID& visual, int& width, int& height);
    int adoptWindow(Window window, VisualID& visual, int& width, int& height);
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
        std::fprintf(stderr, "%s\n", noGlModeText);
        return HostExit::noGlMode;
    }

    VisualID visual = 0;
    int width = 0;
    int height = 0;
    int status = 0;
    if (closesOnInput()) {
        status = createOwnWindow(visual, width, height);
    } else if (options_.mode == HostMode::WindowId) {
        status = adoptWindow(options_.windowId, visual, width, height);
    } else {
        const char* named = std::getenv("XSCREENSAVER_WINDOW");
        std::optional<Window> target = daemonWindow(display_, named);
        if (!target) {
            std::fprintf(stderr, "veltrane: XSCREENSAVER_WINDOW=\"%s\" is not a window id\n",
                         named);
            return HostExit::environment;
        }
        status = adoptWindow(*target, visual, width, height);
    }
    if (status != 0)
        return status;
    // A signal during start-up ends the run before the expensive part.
    if (signals.pending())
        return HostExit::ok;

    GlxSaver::Outcome saverStatus = GlxSaver::Outcome::Running;
    frameReport_.emplace();
    GlxSaver::Drawing drawing;
    drawing.surface =
        ownWindow_ ? GlxDrawingTarget::Surface::Direct : GlxDrawingTarget::Surface::Copied;
    drawing.fps = options_.fps;
    errorsSeen_ = XErrorLog::count(display_);
    saver_ = GlxSaver::create(DisplayString(display_), window_, visual, width, height, drawing,
                              factory, saverStatus);
    if (saverStatus == GlxSaver::Outcome::NoConnection) {
        std::fprintf(stderr, "veltrane: cannot open a second connection to the X display\n");
        return HostExit::environment;
    }
    if (saverStatus == GlxSaver::Outcome::NoGlMode) {
        std::fprintf(stderr, "%s\n", noGlModeText);
        return HostExit::noGlMode;
    }
    status = loop(signals);
    if (!teardown() && status == HostExit::ok) {
        std::fprintf(stderr, "veltrane: the simulation failed while shutting down\n");
        status = HostExit::simulationFailed;
    }
    return status;
}

int X11Host::createOwnWindow(VisualID& visual, int& width, int& height) {
    int screen = DefaultScreen(display_);
    Window root = RootWindow(display_, screen);
    // RGBA, double-buffered, with a depth buffer; GLX prefers the deepest one.
    int attributes[] = {GLX_RGBA,
                        GLX_DOUBLEBUFFER,
                        GLX_RED_SIZE,
                        1,
                        GLX_GREEN_SIZE,
                        1,
                        GLX_BLUE_SIZE,
                        1,
                        GLX_DEPTH_SIZE,
                        8,
                        None};
    XVisualInfo* info = glXChooseVisual(display_, screen, attributes);
    if (!info) {
        std::fprintf(stderr, "%s\n", noGlModeText);
        return HostExit::noGlMode;
    }
    visual = info->visualid;
    colormap_ = XCreateColormap(display_, root, info->visual, AllocNone);

    bool fullScreen = options_.mode == HostMode::FullScreen;
    width = fullScreen ? DisplayWidth(display_, screen) : options_.width;
    height = fullScreen ? DisplayHeight(display_, screen) : options_.height;

    unsigned long errorsBefore = XErrorLog::count(display_);
    XSetWindowAttributes set = {};
    set.colormap = colormap_;
    set.background_pixel = 0;
    set.border_pixel = 0;
    set.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | StructureNotifyMask;
    int x = 0;
    int y = 0;
    if (!fullScreen && options_.positioned) {
        x = options_.xFromRight ? DisplayWidth(display_, screen) - width - options_.x : options_.x;
        y = options_.yFromBottom ? DisplayHeight(display_, screen) - height - options_.y
                                 : options_.y;
    }
    window_ =
        XCreateWindow(display_, root, x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, info->depth, InputOutput, info->visual,
                      CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
    XFree(info);
    XSync(display_, False);
    if (XErrorLog::count(display_) != errorsBefore) {
        // Only the window thread uses Xlib yet, so the error is ours: most
        // likely a size the server cannot allocate.
        std::fprintf(stderr, "veltrane: cannot create a %dx%d window\n", width, height);
        window_ = 0;
        return HostExit::environment;
    }
    ownWindow_ = true;

    X11WindowPlacement placement;
    placement.fullScreen = fullScreen;
    placement.positioned = options_.positioned;
    placement.x = x;
    placement.y = y;
    placement.width = width;
    placement.height = height;
    deleteWindow_ = announceToWindowManager(display_, window_, placement);

    if (fullScreen) {
        static char noBits[1] = {0};
        Pixmap empty = XCreateBitmapFromData(display_, window_, noBits, 1, 1);
        XColor black = {};
        blankCursor_ = XCreatePixmapCursor(display_, empty, empty, &black, &black, 0, 0);
        XFreePixmap(display_, empty);
        XDefineCursor(display_, window_, blankCursor_);
    }

    // The anchor is where the pointer was when the saver appeared.
    Window rootReturn = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    if (XQueryPointer(display_, root, &rootReturn, &child, &rootX, &rootY, &windowX, &windowY,
                      &mask))
        travel_.setAnchor(rootX, rootY);

    XMapRaised(display_, window_);
    XFlush(display_);
    return 0;
}

int X11Host::adoptWindow(Window window, VisualID& visual, int& width, int& height) {
    // Structure events only: input belongs to whoever owns the window, and
    // selecting button presses on another client's window would fail anyway.
    // Selecting before checking the window closes the gap in which it could
    // be destroyed unseen.
    XSelectInput(display_, window, StructureNotifyMask);
    XSync(display_, False);
    XWindowAttributes attributes = {};
    if (!XGetWindowAttributes(display_, window, &attributes)) {
        std::fprintf(stderr, "veltrane: there is no window 0x%lx\n", window);
        return HostExit::environment;
    }
    window_ = window;
    visual = XVisualIDFromVisual(attributes.visual);
    width = attributes.width;
    height = attributes.height;
    return 0;
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
        if (event.xdestroywindow.window == window_) {
            windowGone_ = true;
            return HostExit::ok;
        }
        break;
    case ConfigureNotify:
        if (event.xconfigure.window == window_)
            saver_->resize(event.xconfigure.width, event.xconfigure.height);
        break;
    case MapNotify:
        // Keys go to the saver whatever has the focus; without a window
        // manager nothing else would give it to us.
        if (ownWindow_ && options_.mode == HostMode::FullScreen)
            XGrabKeyboard(display_, window_, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        break;
    case ClientMessage:
        if (ownWindow_ && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_)
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
    if (XGetWindowAttributes(display_, window_, &attributes))
        return true;
    errorsSeen_ += XErrorLog::count(display_) - errorsBefore;
    windowGone_ = true;
    return false;
}

int X11Host::windowLost() {
    if (!windowStillThere())
        return HostExit::ok;
    std::fprintf(stderr, "veltrane: cannot draw into window 0x%lx\n", window_);
    return HostExit::environment;
}

int X11Host::cannotDraw() {
    // A window destroyed under the saver is an ordinary end; otherwise the
    // run would go on black, which is reported as a GL set-up that failed.
    if (!windowStillThere())
        return HostExit::ok;
    std::fprintf(stderr, "%s\n", noGlModeText);
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
        if (ownWindow_ && !windowGone_)
            XDestroyWindow(display_, window_);
        if (blankCursor_)
            XFreeCursor(display_, blankCursor_);
        if (colormap_)
            XFreeColormap(display_, colormap_);
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
