#pragma once

#include "host/common/exit_status.h"
#include "host/common/saver_request.h"

class SignalPipe;

// Full screen on every output: the parent watches the compositor's outputs
// and keeps one child process per output, each with its own connection and
// its own saver run (a run is process-wide). An output added gets a child; one
// removed takes its child with it (SIGTERM); a child that ends for any other
// reason (input, a failure) ends all: the others get SIGTERM and the parent
// returns once every child is reaped, with the first ending child's status. A
// SIGTERM, SIGINT or SIGHUP to the parent, or losing the compositor, ends all
// the same way. Children also die with the parent (PR_SET_PDEATHSIG).
//
// Must run before the process has any other thread or any EGL state: each
// child is forked from it. `signals` must include SIGCHLD. `saver` is what
// each child shows on its output.
ExitStatus runFullscreenParent(const SaverRequest& saver, SignalPipe& signals);
