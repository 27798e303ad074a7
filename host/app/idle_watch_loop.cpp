#include "host/app/idle_watch_loop.h"

#include <poll.h>

namespace {

constexpr short readable = POLLIN | POLLHUP | POLLERR;

} // namespace

ExitStatus runIdleWatch(IdleWatcher& watcher, int signalFd,
                        const std::function<int()>& takeSignal) {
    watcher.turn({}, IdleWatcher::Clock::now());
    while (!watcher.finished()) {
        const WatchWait wait = watcher.nextWait(IdleWatcher::Clock::now());
        pollfd fds[3] = {
            {signalFd, POLLIN, 0}, {wait.sourceFd, POLLIN, 0}, {wait.saverFd, POLLIN, 0}};
        // poll() skips negative fds. When it fails (EINTR; ENOMEM, which three
        // fds do not cause) no revents are set and the turn acts on the time
        // alone.
        poll(fds, 3, wait.timeoutMs);
        WatchEvents events;
        if (fds[0].revents & readable)
            events.signal = takeSignal();
        events.sourceReadable = (fds[1].revents & readable) != 0;
        watcher.turn(events, IdleWatcher::Clock::now());
    }
    return *watcher.finished();
}
