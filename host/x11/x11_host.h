#pragma once

#include "host/linux/exit_status.h"
#include "host/linux/signal_pipe.h"
#include "host/x11/animation.h"
#include "host/x11/x11_options.h"

// Runs the window, full-screen or hack mode of `options` on the X display named
// by the options or $DISPLAY until it closes, and returns the exit status. Errors are reported
// on stderr. Window and full-screen modes close on a key, a button, pointer
// travel of more than 4 pixels or the window manager's close; hack modes only
// when their window is destroyed. `signals` (SIGTERM, SIGINT and SIGHUP, set up
// by the caller before anything else) ends every mode through the normal
// teardown with status 0, one that arrived during start-up included.
// XInitThreads must have been called before any other Xlib use in the process.
ExitStatus runX11Host(const X11Options& options, const AnimationFactory& factory,
                      SignalPipe& signals);
