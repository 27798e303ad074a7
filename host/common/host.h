#pragma once

#include "host/common/exit_status.h"

#include <optional>

class ClosingRules;
class DrawingTarget;

// The platform side of one saver surface: a window system connection, the
// window or surface the saver covers, a GL context for it and the drawing
// target through which the Loader reaches that context. Each window system
// (X11, Wayland) implements this table once; the hosted run (hosted_run.h)
// calls it in this order, on one thread, the host's event thread:
//
//   open → drawingTarget → pump … pump → closeContext → closeWindow
//
// A host reports whatever ends or fails on its side on stderr itself and
// returns the status; the run's own ends (input, a failed simulation) are
// the hosted run's to report.
class Host {
public:
    virtual ~Host() = default;

    // Connects, makes the window or surface and its GL context (not current
    // on any thread). May anchor `rules` where the pointer is, and closes
    // them when a signal cut the start short (nothing is pumped then). Ok, or
    // the status of a failure already reported; either way closeContext and
    // closeWindow follow.
    virtual ExitStatus open(ClosingRules& rules) = 0;
    // The context's drawing target, valid from a successful open() until
    // closeContext(). Its makeCurrent/present/releaseCurrent run on the
    // simulation thread.
    virtual DrawingTarget& drawingTarget() = 0;
    // Waits at most `milliseconds` for native events (and signals), and
    // translates each into `rules` in the order they came. Returns a status
    // when the window system ends the run by itself (a lost connection, a
    // window destroyed under the saver, an output gone).
    virtual std::optional<ExitStatus> pump(ClosingRules& rules, int milliseconds) = 0;
    // The drawing thread could not make the context current: reports that
    // (or finds the window gone, an ordinary end) and says how the run ends.
    virtual ExitStatus cannotDraw() = 0;
    // After the simulation thread has ended and let the context go: deletes
    // the drawing target and the context. Idempotent.
    virtual void closeContext() = 0;
    // Then the window or surface and the connection. Idempotent.
    virtual void closeWindow() = 0;
};
