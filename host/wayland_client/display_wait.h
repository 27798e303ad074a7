#pragma once

#include <chrono>

struct wl_display;

// Bounded waits on a Wayland client connection, shared by every connection
// the program makes (the saver's and the idle watcher's): a compositor that
// accepts the connection and never answers, or a termination signal arriving
// meanwhile, must never hang the caller. `wakeFd` (a signal pipe; -1 for
// none) ends a wait early when it becomes readable. The caller's thread owns
// the connection's default queue.

// Waits at most `milliseconds` for events or `wakeFd`, reads what arrived and
// dispatches every pending event, after sending what is queued. False once
// the connection has failed (the compositor gone, or a protocol error).
bool dispatchWithin(wl_display* display, int wakeFd, int milliseconds);

// Waits until the compositor has answered every request so far, dispatching
// events meanwhile. False when the connection failed, when `limit` passed in
// silence, or when `wakeFd` became readable.
bool roundtripWithin(wl_display* display, int wakeFd, std::chrono::milliseconds limit);

// True when `fd` is readable now; false for -1.
bool readableNow(int fd);
