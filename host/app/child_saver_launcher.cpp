#include "host/app/child_saver_launcher.h"

#include "host/posix/signal_pipe.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int openPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
    const long fd = syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        // pidfd_open makes it close-on-exec already; a later saver must not
        // hold an earlier one's.
        return static_cast<int>(fd);
    }
#endif
    (void)pid;
    return -1;
}

[[noreturn]] void becomeSaver(const std::vector<std::string>& arguments, pid_t watcher,
                              const sigset_t& mask) {
    // A watcher killed outright must not leave its saver drawing.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != watcher)
        _exit(0);
    // The watcher's handlers would write into its own signal pipe: the
    // saver's signals are the saver's from here on.
    for (int signal : terminationSignals)
        std::signal(signal, SIG_DFL);
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    std::vector<char*> argv;
    static char name[] = "veltrane";
    argv.push_back(name);
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    std::fprintf(stderr, "veltrane: cannot start the saver: %s\n", std::strerror(errno));
    _exit(127);
}

} // namespace

ChildSaverLauncher::ChildSaverLauncher(std::vector<std::string> arguments)
    : arguments_(std::move(arguments)) {}

ChildSaverLauncher::~ChildSaverLauncher() {
    for (const auto& [pid, pidfd] : pidfds_) {
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        if (pidfd >= 0)
            close(pidfd);
    }
}

SaverLauncher::Handle ChildSaverLauncher::start(std::string& error) {
    const pid_t watcher = getpid();
    // Termination signals wait until the child has given up the watcher's
    // handlers.
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    for (int signal : terminationSignals)
        sigaddset(&blocked, signal);
    sigprocmask(SIG_BLOCK, &blocked, &previous);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0)
        becomeSaver(arguments_, watcher, previous);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (pid < 0) {
        error = std::string("cannot start a process for the saver: ") + std::strerror(errno);
        return -1;
    }
    pidfds_[pid] = openPidfd(pid);
    return pid;
}

int ChildSaverLauncher::fd(Handle saver) const {
    const auto found = pidfds_.find(saver);
    return found == pidfds_.end() ? -1 : found->second;
}

SaverState ChildSaverLauncher::check(Handle saver) {
    int status = 0;
    const pid_t reaped = waitpid(saver, &status, WNOHANG);
    if (reaped == 0)
        return {SaverState::Kind::Running, 0};
    if (const auto found = pidfds_.find(saver); found != pidfds_.end()) {
        if (found->second >= 0)
            close(found->second);
        pidfds_.erase(found);
    }
    if (reaped < 0) // not ours any more: count it as ended
        return {SaverState::Kind::Exited, 0};
    if (WIFSIGNALED(status))
        return {SaverState::Kind::Killed, WTERMSIG(status)};
    return {SaverState::Kind::Exited, WEXITSTATUS(status)};
}

void ChildSaverLauncher::stop(Handle saver) {
    ::kill(saver, SIGTERM);
}

void ChildSaverLauncher::kill(Handle saver) {
    ::kill(saver, SIGKILL);
}
