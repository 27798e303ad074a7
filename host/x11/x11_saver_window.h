#pragma once

#include "host/common/exit_status.h"
#include "host/common/saver_request.h"
#include "host/x11/x11_request.h"

#include <X11/Xlib.h>
#include <optional>
#include <utility>

// The window the saver draws in, however it was had: its own (window and
// full-screen modes), the one the command line names, or the XScreenSaver
// daemon's. What the saver created for it is freed by releaseSaverWindow.
struct X11SaverWindow {
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

// Creates the saver's own window (mapped) or adopts the one `x11` names,
// watching its structure events. Returns Ok, or a reported exit status; either
// way `target` holds what was created so far, for releaseSaverWindow.
ExitStatus acquireSaverWindow(Display* display, const SaverRequest& saver, const X11Request& x11,
                              X11SaverWindow& target);

// Destroys the own window unless it is gone already, and frees its cursor and
// colormap; an adopted window is left alone.
void releaseSaverWindow(Display* display, X11SaverWindow& target, bool windowGone);
