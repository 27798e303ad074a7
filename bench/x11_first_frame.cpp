// For bench/wayland_window.sh: waits until a viewable window titled "Veltrane"
// on $DISPLAY shows a non-black pixel, polling every 5 ms, and exits 0 then;
// 1 after TIMEOUT_MS (default 15000) without one, 2 with no display.
//   x11_first_frame [TIMEOUT_MS]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {
Window findVeltrane(Display* display, Window window) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        bool match = std::strcmp(name, "Veltrane") == 0;
        XFree(name);
        XWindowAttributes a{};
        if (match && XGetWindowAttributes(display, window, &a) && a.map_state == IsViewable)
            return window;
    }
    Window root = 0, parent = 0, found = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && children) {
        for (unsigned i = 0; i < count && !found; ++i)
            found = findVeltrane(display, children[i]);
        XFree(children);
    }
    return found;
}

bool lit(Display* display, Window window) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a) || a.width <= 0)
        return false;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(a.width),
                              static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    bool any = false;
    for (int y = 0; image && y < a.height && !any; y += 2)
        for (int x = 0; x < a.width && !any; x += 2)
            any = (XGetPixel(image, x, y) & 0xffffffUL) != 0;
    if (image)
        XDestroyImage(image);
    return any;
}
} // namespace

int main(int argc, char** argv) {
    const long timeoutMs = argc > 1 ? std::atol(argv[1]) : 15000;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        Window window = findVeltrane(display, DefaultRootWindow(display));
        if (window && lit(display, window))
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 1;
}
