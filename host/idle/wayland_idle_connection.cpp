#include "host/idle/wayland_idle_connection.h"

#include "host/wayland_client/display_wait.h"

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
    return roundtripWithin(display_, wakeFd_, std::chrono::seconds(answerSeconds));
}

bool WaylandIdleConnection::dispatch() {
    return dispatchWithin(display_, wakeFd_, 0) &&
           !(wl_display_flush(display_) < 0 && errno != EAGAIN);
}
