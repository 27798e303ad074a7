#include "host/wayland_client/display_wait.h"

#include <cerrno>
#include <poll.h>
#include <wayland-client.h>

bool dispatchWithin(wl_display* display, int wakeFd, int milliseconds) {
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return false;
    }
    pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const int ready = poll(fds, wakeFd >= 0 ? 2 : 1, milliseconds);
    if (ready > 0 && fds[0].revents != 0) {
        if (wl_display_read_events(display) < 0)
            return false;
    } else {
        wl_display_cancel_read(display);
    }
    return wl_display_dispatch_pending(display) >= 0;
}

bool roundtripWithin(wl_display* display, int wakeFd, std::chrono::milliseconds limit) {
    static const wl_callback_listener listener = {
        .done = [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    bool answered = false;
    wl_callback* sync = wl_display_sync(display);
    wl_callback_add_listener(sync, &listener, &answered);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!answered) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !dispatchWithin(display, wakeFd, static_cast<int>(left.count())) ||
            readableNow(wakeFd))
            break;
    }
    wl_callback_destroy(sync);
    return answered;
}

bool readableNow(int fd) {
    pollfd ready = {fd, POLLIN, 0};
    return fd >= 0 && poll(&ready, 1, 0) == 1;
}
