#pragma once

#include "host/app/command_line.h"
#include "host/common/exit_status.h"

// `veltrane --idle`: takes the session's one watcher lock, opens the first
// idle source the session offers and shows the full-screen saver, as a child
// process, whenever the session has been idle long enough, until a
// termination signal (status 0) or the loss of the session's server
// (Environment) ends it. A second watcher exits at once with AlreadyWatching,
// as does one on an X display an XScreenSaver daemon already watches; a
// session without an idle source gives NoIdleSource. Every reason is said on
// stderr.
ExitStatus runWatcher(const WatchOptions& options);

// `veltrane --autostart on|off`: writes or removes the user's XDG autostart
// entry for the watcher and says what it did (with the line sway users put in
// their config instead); WriteFailed, with the reason, when it cannot.
ExitStatus runAutostart(const AutostartOptions& options);
