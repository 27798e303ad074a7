#include "host/idle/x11_xscreensaver_daemon.h"

#include <X11/Xatom.h>
#include <vector>

namespace {

std::optional<std::string> versionOn(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 64, False, XA_STRING, &type, &format,
                           &count, &after, &data) != Success)
        return std::nullopt;
    std::optional<std::string> version;
    if (data && type == XA_STRING && format == 8)
        version = std::string(reinterpret_cast<const char*>(data), count);
    if (data)
        XFree(data);
    return version;
}

std::vector<Window> topLevelWindows(Display* display, Window root) {
    Window rootReturn = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> windows{root};
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) && children) {
        windows.insert(windows.end(), children, children + count);
        XFree(children);
    }
    return windows;
}

} // namespace

std::optional<std::string> xscreensaverDaemonVersion(Display* display) {
    // No such atom: no daemon has run since the server started.
    Atom property = XInternAtom(display, "_SCREENSAVER_VERSION", True);
    if (property == None)
        return std::nullopt;
    // Windows may go between the listing and the look: their BadWindow
    // errors are expected, and kept from the process's error handler.
    XSync(display, False);
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    std::optional<std::string> version;
    for (Window window : topLevelWindows(display, DefaultRootWindow(display))) {
        if ((version = versionOn(display, window, property)))
            break;
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    return version;
}
