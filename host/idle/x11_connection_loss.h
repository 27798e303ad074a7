#pragma once

#include <X11/Xlib.h>

// Losing the X server must end the watcher with the server-lost status, not
// inside Xlib: Xlib's default I/O error handler calls exit(1) itself when the
// connection breaks ("X connection to :N broken"), before the per-connection
// exit handler (XSetIOErrorExitHandler, libX11 1.7 and later) is ever reached.
//
// watch() installs, once, a process-wide I/O error handler that returns
// quietly for watched connections and hands any other connection to the
// handler that was there before (which may well exit), and sets `lost` from
// the watched connection's exit handler. After that every Xlib call on the
// connection returns at once without talking to the server; its owner checks
// `lost` after each call and closes the connection as usual.
//
// A handler installed later (the X11 saver host installs one that ends the
// process) replaces this one for every connection of the process; the watcher
// shows savers in child processes, so the two do not meet.
namespace X11ConnectionLoss {

void watch(Display* display, bool* lost);
// Before XCloseDisplay.
void forget(Display* display);

} // namespace X11ConnectionLoss
