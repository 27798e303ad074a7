#include "host/idle/x11_connection_loss.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

std::mutex watchedLock;
std::vector<Display*> watched;
XIOErrorHandler previous = nullptr;

bool isWatched(Display* display) {
    std::lock_guard<std::mutex> hold(watchedLock);
    return std::find(watched.begin(), watched.end(), display) != watched.end();
}

int onIoError(Display* display) {
    if (isWatched(display))
        return 0; // Xlib goes on to the connection's exit handler
    return previous ? previous(display) : 0;
}

void onExit(Display*, void* lost) {
    *static_cast<bool*>(lost) = true;
}

} // namespace

namespace X11ConnectionLoss {

void watch(Display* display, bool* lost) {
    static std::once_flag installed;
    std::call_once(installed, [] { previous = XSetIOErrorHandler(onIoError); });
    {
        std::lock_guard<std::mutex> hold(watchedLock);
        watched.push_back(display);
    }
    XSetIOErrorExitHandler(display, onExit, lost);
}

void forget(Display* display) {
    std::lock_guard<std::mutex> hold(watchedLock);
    watched.erase(std::remove(watched.begin(), watched.end(), display), watched.end());
}

} // namespace X11ConnectionLoss
