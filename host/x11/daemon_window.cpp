// Before Xlib: its Window type would shadow the parser's mode of that name.
#include "host/x11/x11_request.h"

#include "host/x11/daemon_window.h"

#include <X11/Xatom.h>

namespace {

// The virtual root some desktops put over the real one, else the real root.
Window virtualRoot(Display* display, int screen) {
    Window root = RootWindow(display, screen);
    Atom vroot = XInternAtom(display, "__SWM_VROOT", False);
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = root;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) && children) {
        for (unsigned int i = 0; i < count && found == root; ++i) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0;
            unsigned long after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, children[i], vroot, 0, 1, False, XA_WINDOW, &type,
                                   &format, &items, &after, &data) == Success &&
                type == XA_WINDOW && format == 32 && items == 1 && data) {
                found = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
            }
            if (data)
                XFree(data);
        }
        XFree(children);
    }
    return found;
}

} // namespace

std::optional<Window> daemonWindow(Display* display, const char* named) {
    if (named && *named)
        return parseWindowId(named);
    return virtualRoot(display, DefaultScreen(display));
}
