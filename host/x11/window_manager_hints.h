#pragma once

#include <X11/Xlib.h>

// Where and how the saver's own window appears.
struct X11WindowPlacement {
    bool fullScreen = false;
    bool positioned = false; // x and y were asked for
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Tells window managers what the saver's own window is, before it is mapped:
// its title and class ("Veltrane"), that it takes WM_DELETE_WINDOW, and
// either the full-screen state or the user's size (and place), which window
// managers honour over their own placement. Returns the WM_DELETE_WINDOW atom,
// the one a close request carries.
Atom announceToWindowManager(Display* display, Window window, const X11WindowPlacement& placement);
