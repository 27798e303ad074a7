#include "tests/host/x11/test_display.h"

#include "tests/host/x11/child_process.h"

#include <X11/Xutil.h>
#include <cstdio>
#include <stdexcept>

namespace {
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

Window findTitled(Display* display, Window window, const std::string& title) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        bool match = title == name;
        XFree(name);
        if (match) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, window, &attributes) &&
                attributes.map_state == IsViewable)
                return window;
        }
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && children) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = findTitled(display, children[i], title);
        XFree(children);
    }
    return found;
}
} // namespace

TestDisplay::TestDisplay() : display_(XOpenDisplay(nullptr)) {
    if (!display_)
        throw std::runtime_error("no X display: run the tests under Xvfb (scripts/test does)");
    XSetErrorHandler(ignoreErrors);
}

TestDisplay::~TestDisplay() {
    XCloseDisplay(display_);
}

Window TestDisplay::root() const {
    return DefaultRootWindow(display_);
}

Window TestDisplay::waitForWindow(const std::string& title, int milliseconds) {
    Window found = 0;
    eventually(milliseconds, [&] {
        found = findTitled(display_, root(), title);
        return found != 0;
    });
    return found;
}

bool TestDisplay::windowExists(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) != 0;
}

Window TestDisplay::createWindow(int width, int height) {
    Window window = XCreateSimpleWindow(display_, root(), 0, 0, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, 0, 0);
    XStoreName(display_, window, "test host window");
    XMapWindow(display_, window);
    XSync(display_, False);
    return window;
}

void TestDisplay::destroyWindow(Window window) {
    XDestroyWindow(display_, window);
    XSync(display_, False);
}

int TestDisplay::width(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, window, &attributes);
    return attributes.width;
}

int TestDisplay::height(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, window, &attributes);
    return attributes.height;
}

double TestDisplay::nonBlackFraction(Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window, &attributes) || attributes.width <= 0)
        return 0.0;
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return 0.0;
    long lit = 0;
    long sampled = 0;
    for (int y = 0; y < attributes.height; y += 4) {
        for (int x = 0; x < attributes.width; x += 4) {
            ++sampled;
            if ((XGetPixel(image, x, y) & 0xffffffUL) != 0)
                ++lit;
        }
    }
    XDestroyImage(image);
    return sampled ? static_cast<double>(lit) / static_cast<double>(sampled) : 0.0;
}

bool TestDisplay::showsNonBlack(Window window, int milliseconds) {
    return eventually(milliseconds, [&] { return nonBlackFraction(window) > 0.0; });
}

void TestDisplay::movePointer(int x, int y) {
    // xdotool's own --sync waits for a motion that never comes when the
    // pointer is already there; ask the server instead.
    runCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
    eventually(5000, [&] {
        Window rootReturn = 0;
        Window child = 0;
        int rootX = -1;
        int rootY = -1;
        int winX = 0;
        int winY = 0;
        unsigned int mask = 0;
        XQueryPointer(display_, root(), &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask);
        return rootX == x && rootY == y;
    });
}

void pressKey(const std::string& key) {
    runCommand("xdotool key " + key);
}

void clickButton(int button) {
    runCommand("xdotool click " + std::to_string(button));
}

void sendWindowManagerClose(Display* display, Window window) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

std::string hexId(Window window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
}

Window parseWindowIdForTest(const std::string& text) {
    try {
        return static_cast<Window>(std::stoul(text, nullptr, 0));
    } catch (...) {
        return 0;
    }
}
