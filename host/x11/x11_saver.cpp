#include "host/x11/x11_saver.h"

#include "host/common/hosted_run.h"
#include "host/posix/signal_pipe.h"
#include "host/x11/x11_host.h"

#include <X11/Xlib.h>

ExitStatus runX11Saver(const SaverRequest& saver, const X11Request& x11,
                       const AnimationFactory& animation) {
    // The handlers are process-wide, so every thread made later inherits them.
    SignalPipe signals(terminationSignals);
    // The window thread and the simulation thread both call Xlib, each on its
    // own connection; the GL driver may too. Must precede any other Xlib call.
    XInitThreads();
    X11Host host(saver, x11, signals);
    HostedSaver hosted;
    hosted.watchesInput = x11.drawable == X11Drawable::OwnWindow;
    hosted.fps = saver.fps;
    hosted.animation = animation;
    return runHosted(host, hosted);
}
