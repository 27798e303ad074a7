#pragma once

#include <optional>
#include <string>

// How the X11 host was asked to run.
enum class X11Mode {
    Window,     // a normal top-level window (the default)
    FullScreen, // a window covering the screen, cursor hidden
    Root,       // XScreenSaver hack: $XSCREENSAVER_WINDOW or the virtual root
    WindowId,   // XScreenSaver hack: a window named on the command line
};

struct X11Options {
    X11Mode mode = X11Mode::Window;
    int width = 1024; // window mode only
    int height = 768;
    unsigned long windowId = 0; // WindowId mode only
    // Window mode only: where the window goes, as X geometry gives it. A
    // negative offset counts from the right or bottom edge of the screen.
    bool positioned = false;
    int x = 0;
    int y = 0;
    bool xFromRight = false;
    bool yFromBottom = false;
    // The X display to use; empty means $DISPLAY.
    std::string display;
    // Draw the frame-rate overlay.
    bool fps = false;
};

// X geometry as XScreenSaver's peers take it: [=]WxH, optionally followed by
// +X+Y where either sign may be '-' to count from the far edge; sizes from 1
// to 16384, offsets of up to five digits. A geometry without an offset clears
// an earlier one. On failure `options` is left as it was.
bool parseX11Geometry(const std::string& text, X11Options& options);

// An X window id as XScreenSaver writes it (also the value of
// $XSCREENSAVER_WINDOW): "0x" hex or decimal, not zero, within 32 bits,
// nothing trailing. Surrounding blanks are tolerated.
std::optional<unsigned long> parseWindowId(const std::string& text);
