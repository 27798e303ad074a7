#include "host/x11/x11_mode.h"

#include "host/linux/unexpected_error.h"
#include "host/x11/universe_animation.h"
#include "host/x11/x11_host.h"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdio>
#include <string>

ExitStatus runX11Saver(const X11Options& options, const AnimationFactory& factory) {
    // Before any slow work: a daemon may end the hack the moment it has started
    // it, and a termination signal must then still end it with status 0. The
    // handlers are process-wide, so every thread made later inherits them.
    SignalPipe signals({SIGTERM, SIGINT, SIGHUP});
    // The window thread and the simulation thread both call Xlib, each on its
    // own connection; the GL driver may too. Must precede any other Xlib call.
    XInitThreads();
    try {
        return runX11Host(options, factory, signals);
    } catch (...) {
        // The run's own destructors have already given the screen back.
        return reportUnexpectedError();
    }
}

ExitStatus runX11Mode(const X11Options& options) {
    return runX11Saver(options, universeAnimationFactory());
}
