#pragma once

#include <X11/Xlib.h>

// Xlib's error handler is process-wide and runs on whichever thread reads the
// error, so a catch-all handler that returns quietly hides failed requests from
// the code that made them. This one records every error against its
// connection: the code that issued a request syncs and asks whether its
// connection saw an error since it last looked, and acts on it (the drawing
// code stops presenting into a window that has gone; the window thread reports
// what it cannot explain). Errors are never fatal here: Xlib's default would
// exit() the process under a running simulation thread.
namespace XErrorLog {

// Installs the handler. Idempotent; call before opening any connection.
void install();

// Errors seen on `display` since the process started. Safe on any thread.
unsigned long count(Display* display);

// The error code and major request code of the latest error on `display`
// (0, 0 if none), for messages.
struct Last {
    int errorCode = 0;
    int requestCode = 0;
    unsigned long resource = 0;
};
Last last(Display* display);

// Forgets `display` before it is closed, so a later connection that happens to
// get the same address starts from zero.
void forget(Display* display);

} // namespace XErrorLog
