// A stand-in for the XScreenSaver daemon's window, for bench/lifecycle.sh:
//   x11_lifecycle_window WIDTH HEIGHT
// maps a window, prints its id in decimal, then destroys it (explicitly, as
// the daemon does) when a line arrives on stdin or stdin ends.
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: x11_lifecycle_window WIDTH HEIGHT\n");
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11_lifecycle_window: no X display\n");
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    if (width < 1 || height < 1)
        return 1;
    Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("%lu\n", window);
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    XDestroyWindow(display, window);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
