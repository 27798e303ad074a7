#pragma once

#include <string>

// How a saver child is doing: running, ended with an exit status, or killed
// by a signal (a crash, or the SIGKILL of a saver that ignored SIGTERM).
struct SaverState {
    enum class Kind { Running, Exited, Killed };
    Kind kind = Kind::Running;
    // The exit status (Exited) or the signal number (Killed).
    int code = 0;
};

// Starts the full-screen saver (every output, the host chosen as for
// `veltrane --fullscreen`) as a child process and follows it. The idle watcher
// calls it on its one thread and runs at most one saver at a time.
class SaverLauncher {
public:
    // A started saver: the child's process id.
    using Handle = int;

    virtual ~SaverLauncher() = default;

    // Starts a saver; -1 when none could be started (no process could be
    // made), with `error` saying why. A saver that starts and then fails (no
    // GL, a compositor that refuses it) shows as an Exited state instead.
    virtual Handle start(std::string& error) = 0;
    // Readable once the saver has ended (a pidfd); -1 for none, and the
    // watcher then calls check() at least every 250 ms.
    virtual int fd(Handle saver) const = 0;
    // Never blocks. Once it reports an end the child is reaped and the handle
    // is spent.
    virtual SaverState check(Handle saver) = 0;
    // Asks the saver to end: SIGTERM.
    virtual void stop(Handle saver) = 0;
    // Ends a saver that did not end on stop() in time: SIGKILL.
    virtual void kill(Handle saver) = 0;
};
