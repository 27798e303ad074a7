#include "host/idle/wayland_idle_connection.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string_view>
#include <wayland-client.h>

std::string WaylandIdleConnection::displayName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name ? name : "";
}

std::unique_ptr<WaylandIdleConnection> WaylandIdleConnection::connect(std::string& error,
                                                                      int wakeFd) {
    const std::string name = displayName();
    if (name.empty()) {
        error = "no Wayland session (WAYLAND_DISPLAY is not set)";
        return nullptr;
    }
    std::unique_ptr<WaylandIdleConnection> connection(new WaylandIdleConnection());
    connection->wakeFd_ = wakeFd;
    connection->display_ = wl_display_connect(nullptr);
    if (!connection->display_) {
        error =
            "cannot connect to the Wayland compositor \"" + name + "\": " + std::strerror(errno);
        return nullptr;
    }
    static const wl_registry_listener listener = {global, globalRemove};
    connection->registry_ = wl_display_get_registry(connection->display_);
    wl_registry_add_listener(connection->registry_, &listener, connection.get());
    if (!connection->roundtrip()) {
        error = "the Wayland compositor \"" + name + "\" does not answer";
        return nullptr;
    }
    return connection;
}

WaylandIdleConnection::~WaylandIdleConnection() {
    if (extNotifier_)
        ext_idle_notifier_v1_destroy(extNotifier_);
    if (kdeIdle_)
        org_kde_kwin_idle_destroy(kdeIdle_);
    if (seat_)
        wl_seat_destroy(seat_);
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_) {
        wl_display_flush(display_);
        wl_display_disconnect(display_);
    }
}

void WaylandIdleConnection::global(void* data, wl_registry* registry, std::uint32_t name,
                                   const char* interface, std::uint32_t) {
    auto* self = static_cast<WaylandIdleConnection*>(data);
    const std::string_view what(interface);
    if (what == wl_seat_interface.name && !self->seat_) {
        self->seat_ =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (what == ext_idle_notifier_v1_interface.name && !self->extNotifier_) {
        self->extNotifier_ = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    } else if (what == org_kde_kwin_idle_interface.name && !self->kdeIdle_) {
        self->kdeIdle_ = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    }
}

void WaylandIdleConnection::globalRemove(void*, wl_registry*, std::uint32_t) {
    // A seat or notifier going away ends no notification already made; the
    // compositor going away is seen by dispatch().
}

int WaylandIdleConnection::fd() const {
    return wl_display_get_fd(display_);
}

bool WaylandIdleConnection::roundtrip() {
    static const wl_callback_listener listener = {
        .done = [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    bool answered = false;
    wl_callback* sync = wl_display_sync(display_);
    wl_callback_add_listener(sync, &listener, &answered);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(answerSeconds);
    while (!answered) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readFor(static_cast<int>(left.count())))
            break;
        pollfd wake = {wakeFd_, POLLIN, 0};
        if (!answered && wakeFd_ >= 0 && poll(&wake, 1, 0) == 1)
            break;
    }
    wl_callback_destroy(sync);
    return answered;
}

bool WaylandIdleConnection::dispatch() {
    return readFor(0) && !(wl_display_flush(display_) < 0 && errno != EAGAIN);
}

bool WaylandIdleConnection::readFor(int milliseconds) {
    while (wl_display_prepare_read(display_) != 0)
        if (wl_display_dispatch_pending(display_) < 0)
            return false;
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display_);
        return false;
    }
    pollfd fds[2] = {{wl_display_get_fd(display_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int ready = poll(fds, wakeFd_ >= 0 ? 2 : 1, milliseconds);
    if (ready > 0 && fds[0].revents != 0) {
        if (wl_display_read_events(display_) < 0)
            return false;
    } else {
        wl_display_cancel_read(display_);
    }
    return wl_display_dispatch_pending(display_) >= 0;
}
