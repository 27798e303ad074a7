#include "host/x11/server_loss_guard.h"

#include "host/x11/x11_host.h"

#include <atomic>
#include <csignal>
#include <poll.h>
#include <unistd.h>

namespace {

std::atomic<int> watchedFd{-1};
constexpr int hangUpWaitMs = 1000;

bool serverGone() {
    const int fd = watchedFd.load(std::memory_order_acquire);
    if (fd < 0)
        return false;
    // A server being killed faults its clients' GLX code a moment before its
    // sockets are closed (the kernel tears its memory down first), so allow
    // the hang-up a little time to arrive. Data waiting on the socket does
    // not wake this poll; only the hang-up does.
    pollfd peer = {fd, POLLRDHUP, 0};
    return poll(&peer, 1, hangUpWaitMs) == 1 &&
           (peer.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

extern "C" void onFault(int signal) {
    if (serverGone()) {
        static const char text[] = "veltrane: lost the connection to the X server\n";
        [[maybe_unused]] ssize_t written = write(STDERR_FILENO, text, sizeof text - 1);
        _exit(exitCode(ExitStatus::Environment));
    }
    // Not ours to explain: fault again, this time fatally, as without us.
    struct sigaction defaults = {};
    defaults.sa_handler = SIG_DFL;
    sigemptyset(&defaults.sa_mask);
    sigaction(signal, &defaults, nullptr);
}

} // namespace

namespace ServerLossGuard {

void install() {
    struct sigaction action = {};
    action.sa_handler = onFault;
    sigemptyset(&action.sa_mask);
    // SA_NODEFER: a second fault in another thread is handled the same way.
    action.sa_flags = SA_NODEFER;
    sigaction(SIGSEGV, &action, nullptr);
    sigaction(SIGBUS, &action, nullptr);
}

void watch(int fd) {
    watchedFd.store(fd, std::memory_order_release);
}

} // namespace ServerLossGuard
