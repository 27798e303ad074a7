#pragma once

#include <string>
#include <sys/types.h>

// The one-watcher-per-session rule: an flock() on a lock file, held for as
// long as this object lives and released by the kernel however the process
// ends. The file is opened close-on-exec, so a saver child never holds it.
// It holds the holder's process id, for the message of a second watcher.
class WatcherLock {
public:
    enum class Result { Acquired, HeldByAnother, Failed };

    // $XDG_RUNTIME_DIR/veltrane-idle[-DISPLAY].lock when the runtime folder is
    // absolute, else /tmp/veltrane-idle-UID[-DISPLAY].lock. `display`
    // ($WAYLAND_DISPLAY or $DISPLAY; may be empty) tells the sessions of one
    // user apart, a nested compositor's from its parent's; '/' in it becomes
    // '_'.
    static std::string pathFor(const char* runtimeDir, uid_t uid, const std::string& display);

    // Takes the lock without waiting. A file that is not a regular file owned
    // by this user (a link, another user's file in /tmp) is refused: Failed.
    explicit WatcherLock(const std::string& path);
    ~WatcherLock();
    WatcherLock(const WatcherLock&) = delete;
    WatcherLock& operator=(const WatcherLock&) = delete;

    Result result() const { return result_; }
    // HeldByAnother: the holder's process id as it wrote it, 0 if unknown.
    pid_t holder() const { return holder_; }
    // Failed: why, naming the file.
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    Result result_ = Result::Failed;
    pid_t holder_ = 0;
    std::string error_;
};
