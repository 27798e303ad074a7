#pragma once

#include <optional>
#include <string>

// What the X11 host needs beyond the saver request every host takes.

// The window the saver draws in.
enum class X11Drawable {
    OwnWindow,    // a window of the saver's own: a window, or one covering the screen
    DaemonWindow, // XScreenSaver hack: $XSCREENSAVER_WINDOW or the virtual root (--root)
    NamedWindow,  // XScreenSaver hack: the window the command line names (--window-id)
};

// Where an own window (not a full screen) goes, as X geometry gives it. A
// from-right or from-bottom offset counts from that edge of the screen.
struct X11Placement {
    bool positioned = false;
    int x = 0;
    int y = 0;
    bool xFromRight = false;
    bool yFromBottom = false;
};

struct X11Request {
    X11Drawable drawable = X11Drawable::OwnWindow;
    unsigned long windowId = 0; // NamedWindow only
    X11Placement placement;
    // The X display to use; empty means $DISPLAY.
    std::string display;
};

// An X window id as XScreenSaver writes it (also the value of
// $XSCREENSAVER_WINDOW): "0x" hex or decimal, not zero, within 32 bits,
// nothing trailing. Surrounding blanks are tolerated.
std::optional<unsigned long> parseWindowId(const std::string& text);
