#pragma once

// Before Xlib: its Window type would shadow the parser's mode of that name.
#include "host/linux/exit_status.h"
#include "host/x11/x11_options.h"

#include <X11/Xlib.h>
#include <optional>
#include <utility>

// Printed when no GL visual or context can be had for the window.
constexpr const char* x11NoGlModeText = "Screen saver can't set an appropriate OpenGL mode";

// The window the saver draws in, however it was had: its own (window and
// full-screen modes), the one the command line names, or the XScreenSaver
// daemon's. What the saver created for it is freed by releaseTargetWindow.
struct X11TargetWindow {
    Window window = 0;
    VisualID visual = 0;
    int width = 0;
    int height = 0;
    bool own = false; // created by the saver, which then takes its input
    Colormap colormap = 0;
    Cursor blankCursor = 0;
    Atom deleteWindow = None; // what the window manager's close request carries
    // In root coordinates, where the pointer was when the own window appeared;
    // empty for an adopted window or a pointer on another screen.
    std::optional<std::pair<int, int>> pointer;
};

// Creates the saver's own window (mapped) or adopts the one `options` name,
// watching its structure events. Returns Ok, or a reported exit status; either
// way `target` holds what was created so far, for releaseTargetWindow.
ExitStatus acquireTargetWindow(Display* display, const X11Options& options,
                               X11TargetWindow& target);

// Destroys the own window unless it is gone already, and frees its cursor and
// colormap; an adopted window is left alone.
void releaseTargetWindow(Display* display, X11TargetWindow& target, bool windowGone);
