#include "host/app/watcher_lock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

pid_t readHolder(int fd) {
    char text[32] = {};
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    return got > 0 ? static_cast<pid_t>(std::strtol(text, nullptr, 10)) : 0;
}

} // namespace

std::string WatcherLock::pathFor(const char* runtimeDir, uid_t uid, const std::string& display) {
    std::string suffix = display.empty() ? "" : "-" + display;
    for (char& c : suffix)
        c = c == '/' ? '_' : c;
    if (runtimeDir && runtimeDir[0] == '/')
        return std::string(runtimeDir) + "/veltrane-idle" + suffix + ".lock";
    return "/tmp/veltrane-idle-" + std::to_string(uid) + suffix + ".lock";
}

WatcherLock::WatcherLock(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat info = {};
    if (fd_ < 0 || fstat(fd_, &info) != 0) {
        error_ = "cannot open the lock file " + path + ": " + std::strerror(errno);
        return;
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        error_ = "the lock file " + path + " is not a file of yours";
        return;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            result_ = Result::HeldByAnother;
            holder_ = readHolder(fd_);
        } else {
            error_ = "cannot lock " + path + ": " + std::strerror(errno);
        }
        return;
    }
    // The holder's id is for messages only; the lock is what counts.
    const std::string pid = std::to_string(getpid()) + "\n";
    [[maybe_unused]] const bool written =
        ftruncate(fd_, 0) == 0 && pwrite(fd_, pid.data(), pid.size(), 0) > 0;
    result_ = Result::Acquired;
}

WatcherLock::~WatcherLock() {
    if (fd_ >= 0)
        close(fd_);
}
