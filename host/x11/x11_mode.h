#pragma once

#include "host/linux/exit_status.h"
#include "host/x11/animation.h"
#include "host/x11/x11_options.h"

// Window, full-screen and XScreenSaver-hack modes on X11/GLX with the saver's
// universe. Returns the process exit status.
ExitStatus runX11Mode(const X11Options& options);

// The same with any animation: sets up the termination signals and Xlib's
// threads, runs the host, and turns an error that escapes it into
// SimulationFailed with a message. The entry for stand-in animations too.
ExitStatus runX11Saver(const X11Options& options, const AnimationFactory& factory);
