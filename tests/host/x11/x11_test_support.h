#pragma once
// What the tests on the X display of the test run share: starting programs in
// process groups of their own (tests/host/child_process.h), and a connection
// for making, finding, looking at and destroying windows around them.

#include "tests/host/child_process.h"
#include "tests/host/server_required.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Bounds for a busy two-core machine running Mesa's software renderer.
constexpr int startupMs = 10000; // window up and showing frames
// Gone after the event that ends it. Typically well under a second; a hack
// whose window vanishes mid-frame first finishes that frame, which Mesa draws
// slowly once its drawable is gone.
constexpr int exitMs = 5000;
constexpr int settleMs = 800; // still running after input it must ignore

// These tests drive the X11 host: a Wayland session they run in must not take
// the window modes, so no program they start sees it.
inline const bool waylandSessionKeptOut = (unsetenv("WAYLAND_DISPLAY"), true);

// Whether the X display of the test run answers.
inline bool xDisplayAnswers() {
    Display* display = XOpenDisplay(nullptr);
    if (display)
        XCloseDisplay(display);
    return display != nullptr;
}
#define REQUIRE_X_DISPLAY() REQUIRE_SERVER(xDisplayAnswers(), "an X display (Xvfb)")

// Synthetic input through XTest, as a user's devices would produce it.
inline void xdotool(const std::string& args) {
    std::system(("xdotool " + args).c_str());
}

// The saver (or the host with a stand-in animation) with `args`.
inline std::vector<std::string> saver(const std::vector<std::string>& args = {},
                                      const char* binary = VELTRANE_BINARY) {
    std::vector<std::string> command = {binary};
    command.insert(command.end(), args.begin(), args.end());
    return command;
}

class TestDisplay {
public:
    TestDisplay() : display_(XOpenDisplay(nullptr)) {
        if (!display_)
            throw std::runtime_error("no X display: run the tests under Xvfb (scripts/test does)");
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    ~TestDisplay() { XCloseDisplay(display_); }

    // A mapped window titled `title`, or 0 if none appears in time.
    Window waitForWindow(const std::string& title, int milliseconds) {
        Window found = 0;
        eventually(milliseconds, [&] { return (found = findTitled(root(), title)) != 0; });
        return found;
    }
    // Its attributes; width 0 once it is gone.
    XWindowAttributes attributes(Window window) {
        XWindowAttributes result{};
        XGetWindowAttributes(display_, window, &result);
        return result;
    }
    Window createWindow(int width, int height) {
        Window window = XCreateSimpleWindow(display_, root(), 0, 0, static_cast<unsigned>(width),
                                            static_cast<unsigned>(height), 0, 0, 0);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }
    void resizeWindow(Window window, int width, int height) {
        XResizeWindow(display_, window, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        XSync(display_, False);
    }
    void destroyWindow(Window window) {
        XDestroyWindow(display_, window);
        XSync(display_, False);
    }
    // True once a sampled pixel of the window is not black within the timeout.
    bool showsNonBlack(Window window, int milliseconds) {
        return eventually(milliseconds, [&] {
            XWindowAttributes a = attributes(window);
            XImage* image = a.width > 0
                                ? XGetImage(display_, window, 0, 0, static_cast<unsigned>(a.width),
                                            static_cast<unsigned>(a.height), AllPlanes, ZPixmap)
                                : nullptr;
            bool lit = false;
            for (int y = 0; image && y < a.height && !lit; y += 4)
                for (int x = 0; x < a.width && !lit; x += 4)
                    lit = (XGetPixel(image, x, y) & 0xffffffUL) != 0;
            if (image)
                XDestroyImage(image);
            return lit;
        });
    }
    // The window's pixel at (x, y) as 0xRRGGBB, or ~0 if it cannot be read.
    unsigned long pixel(Window window, int x, int y) {
        XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return ~0UL;
        unsigned long value = XGetPixel(image, 0, 0) & 0xffffffUL;
        XDestroyImage(image);
        return value;
    }
    // Moves the pointer as a user would: the server reports the motion to
    // whoever listens, and has done so when this returns.
    void movePointer(int x, int y) {
        XWarpPointer(display_, None, root(), 0, 0, 0, 0, x, y);
        XSync(display_, False);
    }
    // What a window manager sends when the user closes a window.
    void closeLikeAWindowManager(Window window) {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", 0));
        XSendEvent(display_, window, False, NoEventMask, &event);
        XSync(display_, False);
    }
    Window root() const { return DefaultRootWindow(display_); }

private:
    Window findTitled(Window window, const std::string& title) {
        char* name = nullptr;
        if (XFetchName(display_, window, &name) && name) {
            bool match = title == name;
            XFree(name);
            if (match && attributes(window).map_state == IsViewable)
                return window;
        }
        Window rootReturn = 0, parent = 0, found = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display_, window, &rootReturn, &parent, &children, &count) && children) {
            for (unsigned int i = 0; i < count && !found; ++i)
                found = findTitled(children[i], title);
            XFree(children);
        }
        return found;
    }

    Display* display_;
};
