#include "host/x11/x11_mode.h"

#include "host/x11/command_line.h"
#include "host/x11/universe_animation.h"
#include "host/x11/x11_host.h"
#include "kernel/kernel_exceptions.h"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdio>
#include <string>

#ifndef VELTRANE_VERSION
#define VELTRANE_VERSION "unknown"
#endif

int runX11Mode(int argc, char** argv) {
    // First of all: a daemon may end the hack the moment it has started it,
    // and a termination signal must then still end it with status 0. The
    // handlers are process-wide, so every thread made later inherits them.
    SignalPipe signals({SIGTERM, SIGINT, SIGHUP});
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    ParsedCommandLine parsed = parseHostCommandLine(args);
    if (!parsed.options) {
        std::fprintf(stderr, "veltrane: %s\n%s", parsed.error.c_str(), hostUsage());
        return HostExit::usage;
    }
    switch (parsed.options->mode) {
    case HostMode::Help:
        std::fputs(hostUsage(), stdout);
        return HostExit::ok;
    case HostMode::Version:
        std::printf("Veltrane Screensaver %s\n", VELTRANE_VERSION);
        return HostExit::ok;
    default:
        break;
    }
    // The window thread and the simulation thread both call Xlib, each on its
    // own connection; the GL driver may too. Must precede any other Xlib call.
    XInitThreads();
    try {
        return runX11Host(*parsed.options, universeAnimationFactory(), signals);
    } catch (...) {
        // The run's own destructors have already given the screen back.
        const std::string what = NS_KernelExceptions::describeCurrentException();
        NS_KernelExceptions::freeCurrentException();
        std::fprintf(stderr, "veltrane: the saver stopped because of an unexpected error (%s)\n",
                     what.c_str());
        return HostExit::noGlMode;
    }
}
