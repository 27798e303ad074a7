#include "host/wayland/fullscreen_parent.h"

#include "host/common/exit_status.h"
#include "host/posix/signal_pipe.h"
#include "host/wayland/output_children.h"
#include "host/wayland/wayland_connection.h"
#include "host/wayland/wayland_host.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <wayland-client.h>

namespace {

constexpr int pollMilliseconds = 100;
// How long children get to end after SIGTERM before they are killed.
constexpr auto termGrace = std::chrono::seconds(3);

class FullscreenParent {
public:
    FullscreenParent(const SaverRequest& saver, SignalPipe& signals)
        : saver_(saver), signals_(signals) {}
    int run();

private:
    SaverRequest saver_;
    SignalPipe& signals_;
    std::unique_ptr<WaylandConnection> connection_;
    OutputChildren children_;
    int endStatus_ = 0;
    bool ending_ = false;

    void spawnAwaiting();
    [[noreturn]] void runChild(std::uint32_t output, pid_t parent, const sigset_t& mask);
    void reap(bool wait);
    void endAll(int status);
    bool waitForEvents();
};

int FullscreenParent::run() {
    ExitStatus status = ExitStatus::Ok;
    connection_ = connectForSaver(signals_, status);
    if (!connection_)
        return exitCode(status);
    for (std::uint32_t name : connection_->outputNames())
        children_.addOutput(name);
    connection_->onOutputAdded = [this](std::uint32_t name) { children_.addOutput(name); };
    connection_->onOutputRemoved = [this](std::uint32_t name) {
        if (const std::optional<int> pid = children_.removeOutput(name))
            kill(*pid, SIGTERM);
    };
    while (!ending_) {
        spawnAwaiting();
        if (!waitForEvents()) {
            std::fprintf(stderr, "veltrane: lost the connection to the Wayland compositor \"%s\"\n",
                         WaylandConnection::displayName().c_str());
            endAll(exitCode(ExitStatus::Environment));
            break;
        }
        reap(false);
        if (children_.ending())
            endAll(children_.endingStatus());
    }
    reap(true);
    return endStatus_;
}

// Dispatches the parent's connection and takes signals; false once the
// connection has failed.
bool FullscreenParent::waitForEvents() {
    if (!connection_->dispatch(pollMilliseconds))
        return false;
    for (int signal = signals_.take(); signal != 0; signal = signals_.take())
        if (signal != SIGCHLD)
            endAll(exitCode(ExitStatus::Ok));
    return true;
}

void FullscreenParent::spawnAwaiting() {
    for (std::uint32_t output : children_.awaitingChild()) {
        // Signals wait until the child has a pipe of its own.
        sigset_t blocked;
        sigset_t previous;
        sigemptyset(&blocked);
        for (int signal : terminationSignals)
            sigaddset(&blocked, signal);
        sigaddset(&blocked, SIGCHLD);
        sigprocmask(SIG_BLOCK, &blocked, &previous);
        const pid_t parent = getpid();
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0)
            runChild(output, parent, previous);
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        if (pid < 0) {
            std::fprintf(stderr, "veltrane: cannot start the saver for an output\n");
            endAll(exitCode(ExitStatus::Environment));
            return;
        }
        children_.childStarted(output, pid);
    }
}

void FullscreenParent::runChild(std::uint32_t output, pid_t parent, const sigset_t& mask) {
    // A parent killed outright must not leave its children drawing.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(exitCode(ExitStatus::Ok));
    // The parent's connection is its own: close it without a word on it.
    close(wl_display_get_fd(connection_->display()));
    std::signal(SIGCHLD, SIG_DFL);
    if (!signals_.renewAfterFork())
        _exit(exitCode(ExitStatus::Environment));
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    const ExitStatus status = runWaylandSurface(saver_, output, signals_);
    std::fflush(nullptr);
    // Not exit(): the parent's objects copied into this process are not ours to destroy.
    _exit(exitCode(status));
}

void FullscreenParent::reap(bool wait) {
    const auto deadline = std::chrono::steady_clock::now() + termGrace;
    for (;;) {
        int status = 0;
        const pid_t pid = waitpid(-1, &status, WNOHANG);
        if (pid > 0) {
            children_.childEnded(pid, WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status))
                                                        : std::nullopt);
            continue;
        }
        if (!wait || pid < 0)
            return; // nothing left to reap (ECHILD)
        if (std::chrono::steady_clock::now() > deadline)
            for (int live : children_.livePids())
                kill(live, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void FullscreenParent::endAll(int status) {
    if (!ending_)
        endStatus_ = status;
    ending_ = true;
    for (int pid : children_.livePids())
        kill(pid, SIGTERM);
}

} // namespace

ExitStatus runFullscreenParent(const SaverRequest& saver, SignalPipe& signals) {
    FullscreenParent parent(saver, signals);
    return static_cast<ExitStatus>(parent.run());
}
