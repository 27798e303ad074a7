#pragma once

#include "host/linux/signal_pipe.h"
#include "host/x11/animation.h"
#include "host/x11/command_line.h"

// Exit statuses of the Linux host.
namespace HostExit {
constexpr int ok = 0;
constexpr int usage = 1;
// No X display, no such window, an unusable $XSCREENSAVER_WINDOW, lost server.
constexpr int environment = 2;
// The animation stopped by itself because of an error, or its teardown failed.
constexpr int simulationFailed = 3;
// No GL context for the window; also an unexpected error reaching the entry.
constexpr int noGlMode = 255;
} // namespace HostExit

// Runs the window, full-screen or hack mode of `options` on the X display named
// by the options or $DISPLAY until it closes, and returns the exit status. Errors are reported
// on stderr. Window and full-screen modes close on a key, a button, pointer
// travel of more than 4 pixels or the window manager's close; hack modes only
// when their window is destroyed. `signals` (SIGTERM, SIGINT and SIGHUP, set up
// by the caller before anything else) ends every mode through the normal
// teardown with status 0, one that arrived during start-up included.
// XInitThreads must have been called before any other Xlib use in the process.
int runX11Host(const HostOptions& options, const AnimationFactory& factory, SignalPipe& signals);
