#include "host/x11/window_manager_hints.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace {

void name(Display* display, Window window) {
    XStoreName(display, window, "Veltrane");
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    static const unsigned char title[] = "Veltrane";
    XChangeProperty(display, window, netName, utf8, 8, PropModeReplace, title,
                    static_cast<int>(sizeof title - 1));
    XClassHint classHint = {};
    char resName[] = "veltrane";
    char resClass[] = "Veltrane";
    classHint.res_name = resName;
    classHint.res_class = resClass;
    XSetClassHint(display, window, &classHint);
}

void place(Display* display, Window window, const X11WindowPlacement& placement) {
    if (placement.fullScreen) {
        Atom state = XInternAtom(display, "_NET_WM_STATE", False);
        Atom fullScreenState = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&fullScreenState), 1);
        return;
    }
    XSizeHints* hints = XAllocSizeHints();
    if (!hints)
        return;
    hints->flags = USSize | (placement.positioned ? USPosition : 0);
    hints->x = placement.x;
    hints->y = placement.y;
    hints->width = placement.width;
    hints->height = placement.height;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
}

} // namespace

Atom announceToWindowManager(Display* display, Window window, const X11WindowPlacement& placement) {
    name(display, window);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    place(display, window, placement);
    return deleteWindow;
}
