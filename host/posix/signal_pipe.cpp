#include "host/posix/signal_pipe.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

int pipeFds[2] = {-1, -1};
struct sigaction previous[NSIG];

extern "C" void onSignal(int signal) {
    int savedErrno = errno;
    unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a pending signal; dropping this one is fine.
    [[maybe_unused]] ssize_t written = write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalPipe::SignalPipe(std::span<const int> signals, std::initializer_list<int> more) {
    if (pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
        pipeFds[0] = pipeFds[1] = -1;
        return; // No pipe: signals keep their default action and still end the process.
    }
    for (int signal : signals)
        watch(signal);
    for (int signal : more)
        watch(signal);
}

void SignalPipe::watch(int signal) {
    if (count_ == maxSignals || signal <= 0 || signal >= NSIG)
        return;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(signal, &action, &previous[signal]) == 0)
        signals_[count_++] = signal;
}

SignalPipe::~SignalPipe() {
    for (int i = 0; i < count_; ++i)
        sigaction(signals_[i], &previous[signals_[i]], nullptr);
    for (int& fd : pipeFds) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

int SignalPipe::fd() const {
    return pipeFds[0];
}

int SignalPipe::take() {
    unsigned char byte = 0;
    if (pipeFds[0] < 0 || read(pipeFds[0], &byte, 1) != 1)
        return 0;
    return byte;
}

bool SignalPipe::pending() const {
    pollfd fd = {pipeFds[0], POLLIN, 0};
    return pipeFds[0] >= 0 && poll(&fd, 1, 0) == 1;
}

bool SignalPipe::renewAfterFork() {
    for (int& fd : pipeFds) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    if (pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) == 0)
        return true;
    pipeFds[0] = pipeFds[1] = -1;
    return false;
}
