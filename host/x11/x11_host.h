#pragma once

#include "host/common/host.h"
#include "host/common/saver_request.h"
#include "host/x11/glx_context.h"
#include "host/x11/x11_request.h"
#include "host/x11/x11_saver_window.h"
#include "host/x11/x11_visibility.h"

#include <X11/Xlib.h>
#include <chrono>
#include <memory>

class SignalPipe;

// The X11/GLX host of one saver: the window thread's connection to the X
// display the request names (or $DISPLAY), the saver's window (its own, or
// the XScreenSaver daemon's or the one the command line names) and the GLX
// context on a connection of its own (GlxContext). It translates key and
// button presses, pointer motion in root coordinates, the window manager's
// close request and `signals` into the closing rules; a window destroyed
// under the saver ends the run with Ok. No frame is drawn while the window is
// fully obscured or the display's DPMS level is not on (asked at most once a
// second). XInitThreads must have been called
// before any other Xlib use in the process.
class X11Host final : public Host {
public:
    X11Host(const SaverRequest& saver, const X11Request& x11, SignalPipe& signals)
        : saver_(saver), x11_(x11), signals_(signals) {}
    ~X11Host() override;
    X11Host(const X11Host&) = delete;
    X11Host& operator=(const X11Host&) = delete;

    ExitStatus open(ClosingRules& rules) override;
    DrawingTarget& drawingTarget() override { return context_->target(); }
    std::optional<ExitStatus> pump(ClosingRules& rules, int milliseconds) override;
    ExitStatus cannotDraw() override;
    void closeContext() override { context_.reset(); }
    void closeWindow() override;

private:
    SaverRequest saver_;
    X11Request x11_;
    SignalPipe& signals_;
    Display* display_ = nullptr;
    X11SaverWindow window_;
    bool windowGone_ = false;
    std::unique_ptr<GlxContext> context_;
    // X errors on the window thread's connection already reported.
    unsigned long errorsSeen_ = 0;
    X11Visibility visibility_;
    bool hasDpms_ = false;
    std::chrono::steady_clock::time_point nextDpmsQuery_;

    ExitStatus makeContext();
    void queryDisplayPower();
    void updateFrameWanted();
    // The status the event ends the run with, if it does.
    std::optional<ExitStatus> handle(const XEvent& event, ClosingRules& rules);
    // Asks the server, since a DestroyNotify may be on its way.
    bool windowStillThere();
    ExitStatus windowLost();
    void reportNewErrors();
};

// Nullopt when the X display `name` (empty: $DISPLAY) can be opened, else
// why not, naming it. Opens and closes a connection.
std::optional<std::string> x11DisplayFailure(const std::string& name);
