#pragma once

#include "host/common/animation.h"
#include "host/common/exit_status.h"
#include "host/common/saver_request.h"
#include "host/common/universe_animation.h"
#include "host/x11/x11_request.h"

// The saver on X11/GLX, in a window, full screen or as an XScreenSaver hack,
// until it closes; returns the process exit status. Sets up the termination
// signals (before anything slow: a daemon may end a hack the moment it has
// started it) and Xlib's threads, then runs the X11 host. `animation` is the
// saver's universe unless a test stands in for it.
ExitStatus runX11Saver(const SaverRequest& saver, const X11Request& x11,
                       const AnimationFactory& animation = universeAnimationFactory());
