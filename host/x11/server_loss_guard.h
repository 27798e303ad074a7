#pragma once

// When the X server dies, Xlib's I/O error handler ends the process with
// status 2 ("lost the connection"), but Mesa's GLX code, reached through its
// own requests on the server (while it sets up a display or a context, or
// presents), may first dereference the missing reply and fault. Such a fault
// is not a fault of the saver and must not look like one to the daemon.
//
// install() sets SIGSEGV and SIGBUS handlers that end the process exactly as
// the I/O error handler does when, and only when, the watched connection's
// server has demonstrably gone (the socket is hung up). Any other fault is
// left to the default action: the faulting instruction runs again with the
// handler removed and the process dies of it as before.
namespace ServerLossGuard {

void install();
// The socket of a connection to the server (ConnectionNumber); -1 to stop.
void watch(int fd);

} // namespace ServerLossGuard
