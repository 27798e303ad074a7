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
};

// Either options or, for anything the host does not accept, a one-line reason
// (the caller prints it with the usage text and exits 1).
struct ParsedCommandLine {
    std::optional<HostOptions> options;
    std::string error;
};

// `args` excludes the program name. Accepts options with one or two leading
// dashes. The standard XScreenSaver hack flags the saver has no use for
// (-install, -noinstall, -visual X, -delay N, -fps, -no-fps, -pair, -mono) are
// accepted and ignored so the daemon and the settings tool can start it.
ParsedCommandLine parseHostCommandLine(const std::vector<std::string>& args);

// An X window id as XScreenSaver writes it: "0x" hex or decimal, not zero,
// within 32 bits, nothing trailing. Surrounding blanks are tolerated.
std::optional<unsigned long> parseWindowId(const std::string& text);

// The usage text printed by --help and after a bad argument.
const char* hostUsage();
