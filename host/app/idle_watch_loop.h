#pragma once

#include "host/app/idle_watcher.h"

#include <functional>

// The poll loop of `veltrane --idle` around an IdleWatcher: one turn before
// the first wait, then poll() on the signal pipe, the source's fd and the
// saver's fd with the watcher's timeout, and a turn with what happened, until
// the watcher finishes. A hang-up or error on an fd counts as readable (the
// source's dispatch() then reports its server gone). `takeSignal` reads one
// signal from the pipe behind `signalFd` (SignalPipe::take), 0 for none.
// Returns the watcher's exit status.
ExitStatus runIdleWatch(IdleWatcher& watcher, int signalFd, const std::function<int()>& takeSignal);
