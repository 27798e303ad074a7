#pragma once

#include <optional>
#include <string>
#include <vector>

// How the Linux host was asked to run.
enum class HostMode {
    Window,     // a normal top-level window (the default)
    FullScreen, // a window covering the screen, cursor hidden
    Root,       // XScreenSaver hack: $XSCREENSAVER_WINDOW or the virtual root
    WindowId,   // XScreenSaver hack: a window named on the command line
    Help,
    Version,
};

struct HostOptions {
    HostMode mode = HostMode::Window;
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

// Either options or, for anything the host does not accept, a one-line reason
// (the caller prints it with the usage text and exits 1).
struct ParsedCommandLine {
    std::optional<HostOptions> options;
    std::string error;
};

// `args` excludes the program name. Accepts options with one or two leading
// dashes, the way XScreenSaver's hacks do:
// - `--window-id ID` wins over `--root`, `--window` and `--fullscreen` in any
//   order (the daemon and the settings tool pass `--root` with it); among
//   those three the last one counts, as does the last of repeated values.
// - `--fps` / `--no-fps` turn the frame-rate overlay on and off (last wins).
// - `--display NAME`, `--geometry WxH[+X+Y]` (window mode only: a size for a
//   window the saver does not make is the one impossible combination).
// - `-install`, `-noinstall`, `-visual X`, `-delay N`, `-pair`, `-mono` are
//   accepted and ignored (the tick is fixed at 30 ms, so -delay has no use).
ParsedCommandLine parseHostCommandLine(const std::vector<std::string>& args);

// An X window id as XScreenSaver writes it (also the value of
// $XSCREENSAVER_WINDOW): "0x" hex or decimal, not zero, within 32 bits,
// nothing trailing. Surrounding blanks are tolerated.
std::optional<unsigned long> parseWindowId(const std::string& text);

// The usage text printed by --help and after a bad argument.
const char* hostUsage();
