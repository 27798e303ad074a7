#include "host/x11/x11_saver_window.h"

#include "host/x11/daemon_window.h"
#include "host/x11/window_manager_hints.h"
#include "host/x11/x11_host.h"
#include "host/x11/x_error_log.h"

#include <GL/glx.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>

namespace {

// An invisible cursor: a full-screen saver hides the pointer.
Cursor blankCursor(Display* display, Window window) {
    static char noBits[1] = {0};
    Pixmap empty = XCreateBitmapFromData(display, window, noBits, 1, 1);
    XColor black = {};
    Cursor cursor = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display, empty);
    return cursor;
}

// Where the pointer is in `root`'s coordinates; empty when it is on another
// screen.
std::optional<std::pair<int, int>> pointerOn(Display* display, Window root) {
    Window rootReturn = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, root, &rootReturn, &child, &rootX, &rootY, &windowX, &windowY,
                       &mask))
        return std::nullopt;
    return std::pair(rootX, rootY);
}

// RGBA, double-buffered, with a depth buffer; GLX prefers the deepest one.
// Null when the screen has none. The caller frees it with XFree.
XVisualInfo* ownVisual(Display* display, int screen) {
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
    return glXChooseVisual(display, screen, attributes);
}

// Tells the window manager what the new window is, hides the cursor over a
// full screen and maps it.
void showOwnWindow(Display* display, Window root, bool fullScreen, bool positioned, int x, int y,
                   X11SaverWindow& target) {
    X11WindowPlacement placement;
    placement.fullScreen = fullScreen;
    placement.positioned = positioned;
    placement.x = x;
    placement.y = y;
    placement.width = target.width;
    placement.height = target.height;
    target.deleteWindow = announceToWindowManager(display, target.window, placement);

    if (fullScreen) {
        target.blankCursor = blankCursor(display, target.window);
        XDefineCursor(display, target.window, target.blankCursor);
    }
    target.pointer = pointerOn(display, root);

    XMapRaised(display, target.window);
    XFlush(display);
}

ExitStatus createOwnWindow(Display* display, const SaverRequest& saver,
                           const X11Placement& placement, X11SaverWindow& target) {
    int& width = target.width;
    int& height = target.height;
    int screen = DefaultScreen(display);
    Window root = RootWindow(display, screen);
    XVisualInfo* info = ownVisual(display, screen);
    if (!info) {
        std::fprintf(stderr, "%s\n", noOpenGlText);
        return ExitStatus::NoOpenGl;
    }
    target.visual = info->visualid;
    target.colormap = XCreateColormap(display, root, info->visual, AllocNone);

    const bool fullScreen = saver.shape == SaverShape::FullScreen;
    width = fullScreen ? DisplayWidth(display, screen) : saver.width;
    height = fullScreen ? DisplayHeight(display, screen) : saver.height;

    unsigned long errorsBefore = XErrorLog::count(display);
    XSetWindowAttributes set = {};
    set.colormap = target.colormap;
    set.background_pixel = 0;
    set.border_pixel = 0;
    set.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | StructureNotifyMask |
                     VisibilityChangeMask;
    int x = 0;
    int y = 0;
    if (!fullScreen && placement.positioned) {
        x = placement.xFromRight ? DisplayWidth(display, screen) - width - placement.x
                                 : placement.x;
        y = placement.yFromBottom ? DisplayHeight(display, screen) - height - placement.y
                                  : placement.y;
    }
    target.window =
        XCreateWindow(display, root, x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, info->depth, InputOutput, info->visual,
                      CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
    XFree(info);
    XSync(display, False);
    if (XErrorLog::count(display) != errorsBefore) {
        // Only the window thread uses Xlib yet, so the error is ours: most
        // likely a size the server cannot allocate.
        std::fprintf(stderr, "veltrane: cannot create a %dx%d window\n", width, height);
        target.window = 0;
        return ExitStatus::Environment;
    }
    target.own = true;
    showOwnWindow(display, root, fullScreen, placement.positioned, x, y, target);
    return ExitStatus::Ok;
}

ExitStatus adoptWindow(Display* display, Window window, X11SaverWindow& target) {
    // Structure and visibility events only: input belongs to whoever owns the
    // window, and selecting button presses on another client's window would
    // fail anyway.
    // Selecting before checking the window closes the gap in which it could
    // be destroyed unseen.
    XSelectInput(display, window, StructureNotifyMask | VisibilityChangeMask);
    XSync(display, False);
    XWindowAttributes attributes = {};
    if (!XGetWindowAttributes(display, window, &attributes)) {
        std::fprintf(stderr, "veltrane: there is no window 0x%lx\n", window);
        return ExitStatus::Environment;
    }
    target.window = window;
    target.visual = XVisualIDFromVisual(attributes.visual);
    target.width = attributes.width;
    target.height = attributes.height;
    return ExitStatus::Ok;
}

} // namespace

ExitStatus acquireSaverWindow(Display* display, const SaverRequest& saver, const X11Request& x11,
                              X11SaverWindow& target) {
    if (x11.drawable == X11Drawable::OwnWindow)
        return createOwnWindow(display, saver, x11.placement, target);
    if (x11.drawable == X11Drawable::NamedWindow)
        return adoptWindow(display, x11.windowId, target);
    const char* named = std::getenv("XSCREENSAVER_WINDOW");
    std::optional<Window> daemons = daemonWindow(display, named);
    if (!daemons) {
        std::fprintf(stderr, "veltrane: XSCREENSAVER_WINDOW=\"%s\" is not a window id\n", named);
        return ExitStatus::Environment;
    }
    return adoptWindow(display, *daemons, target);
}

void releaseSaverWindow(Display* display, X11SaverWindow& target, bool windowGone) {
    if (target.own && !windowGone)
        XDestroyWindow(display, target.window);
    if (target.blankCursor)
        XFreeCursor(display, target.blankCursor);
    if (target.colormap)
        XFreeColormap(display, target.colormap);
    target = X11SaverWindow{};
}
