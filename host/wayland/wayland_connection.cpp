#include "host/wayland/wayland_connection.h"

#include "host/wayland_client/display_wait.h"

#include <cstdio>

#include "relative-pointer-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <wayland-client.h>

namespace {

void ping(void*, xdg_wm_base* base, std::uint32_t serial) {
    // A client that does not answer is declared unresponsive.
    xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener wmBaseListener = {ping};

void outputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    std::int32_t, const char*, const char*, std::int32_t) {}
void outputDone(void*, wl_output*) {}
void outputText(void*, wl_output*, const char*) {}

} // namespace

std::string WaylandConnection::displayName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name && *name ? name : "wayland-0";
}

std::unique_ptr<WaylandConnection> WaylandConnection::connect(std::string& error, int wakeFd) {
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection());
    connection->wakeFd_ = wakeFd;
    connection->display_ = wl_display_connect(nullptr);
    const std::string name = displayName();
    if (!connection->display_) {
        error = "cannot connect to the Wayland compositor \"" + name + "\"" +
                (std::getenv("WAYLAND_DISPLAY") && *std::getenv("WAYLAND_DISPLAY")
                     ? ""
                     : " (WAYLAND_DISPLAY is not set)") +
                ": " + std::strerror(errno);
        return nullptr;
    }
    static const wl_registry_listener registryListener = {global, globalRemove};
    connection->registry_ = wl_display_get_registry(connection->display_);
    wl_registry_add_listener(connection->registry_, &registryListener, connection.get());
    // Something that accepts the connection but speaks no Wayland fails here.
    if (!connection->roundtrip()) {
        error = "the Wayland compositor \"" + name + "\" does not answer";
        return nullptr;
    }
    return connection;
}

WaylandConnection::~WaylandConnection() {
    for (auto& [name, output] : outputs_)
        wl_output_destroy(output);
    if (seat_)
        wl_seat_destroy(seat_);
    if (relativePointers_)
        zwp_relative_pointer_manager_v1_destroy(relativePointers_);
    if (wmBase_)
        xdg_wm_base_destroy(wmBase_);
    if (compositor_)
        wl_compositor_destroy(compositor_);
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_) {
        wl_display_flush(display_);
        wl_display_disconnect(display_);
    }
}

void WaylandConnection::global(void* data, wl_registry* registry, std::uint32_t name,
                               const char* interface, std::uint32_t version) {
    auto* self = static_cast<WaylandConnection*>(data);
    const std::string_view what(interface);
    if (what == wl_compositor_interface.name && !self->compositor_) {
        self->compositorVersion_ = static_cast<int>(std::min(version, 4u));
        self->compositor_ = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, std::min(version, 4u)));
    } else if (what == xdg_wm_base_interface.name && !self->wmBase_) {
        self->wmBase_ =
            static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(self->wmBase_, &wmBaseListener, nullptr);
    } else if (what == wl_seat_interface.name && !self->seat_) {
        // Version 1 has all the input events the closing rules need.
        self->seat_ =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        self->seatName_ = name;
    } else if (what == zwp_relative_pointer_manager_v1_interface.name && !self->relativePointers_) {
        self->relativePointers_ = static_cast<zwp_relative_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_relative_pointer_manager_v1_interface, 1));
    } else if (what == wl_output_interface.name) {
        self->bindOutput(name, version);
    }
}

void WaylandConnection::bindOutput(std::uint32_t name, std::uint32_t version) {
    if (version < 2 || outputs_.count(name))
        return; // version 1 has no scale; such an output is drawn at scale 1 anyway
    static const wl_output_listener listener = {outputGeometry, outputMode, outputDone,
                                                outputScale,    outputText, outputText};
    auto* output =
        static_cast<wl_output*>(wl_registry_bind(registry_, name, &wl_output_interface, 2));
    wl_output_add_listener(output, &listener, this);
    outputs_[name] = output;
    scales_.setScale(name, 1);
    if (onOutputAdded)
        onOutputAdded(name);
}

void WaylandConnection::outputScale(void* data, wl_output* output, std::int32_t factor) {
    auto* self = static_cast<WaylandConnection*>(data);
    self->scales_.setScale(self->outputName(output), factor);
    if (self->onScaleChanged)
        self->onScaleChanged();
}

void WaylandConnection::outputMode(void* data, wl_output* output, std::uint32_t flags,
                                   std::int32_t width, std::int32_t height, std::int32_t) {
    auto* self = static_cast<WaylandConnection*>(data);
    if (flags & WL_OUTPUT_MODE_CURRENT)
        self->modes_[self->outputName(output)] = {width, height};
}

std::pair<int, int> WaylandConnection::outputMode(std::uint32_t name) const {
    const auto found = modes_.find(name);
    return found == modes_.end() ? std::pair<int, int>(0, 0) : found->second;
}

void WaylandConnection::globalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<WaylandConnection*>(data);
    const auto found = self->outputs_.find(name);
    if (found == self->outputs_.end())
        return; // the seat going away leaves the saver without input; other ways still close it
    wl_output_destroy(found->second);
    self->outputs_.erase(found);
    self->scales_.removeOutput(name);
    self->modes_.erase(name);
    if (self->onOutputRemoved)
        self->onOutputRemoved(name);
    if (self->onScaleChanged)
        self->onScaleChanged();
}

wl_output* WaylandConnection::output(std::uint32_t name) const {
    const auto found = outputs_.find(name);
    return found == outputs_.end() ? nullptr : found->second;
}

std::vector<std::uint32_t> WaylandConnection::outputNames() const {
    std::vector<std::uint32_t> names;
    for (const auto& [name, output] : outputs_)
        names.push_back(name);
    return names;
}

std::uint32_t WaylandConnection::outputName(const wl_output* output) const {
    for (const auto& [name, bound] : outputs_)
        if (bound == output)
            return name;
    return 0;
}

bool WaylandConnection::roundtrip() {
    return roundtripWithin(display_, wakeFd_, std::chrono::seconds(5));
}

bool WaylandConnection::dispatch(int milliseconds) {
    return dispatchWithin(display_, wakeFd_, milliseconds);
}

int WaylandConnection::error() const {
    return wl_display_get_error(display_);
}

std::unique_ptr<WaylandConnection> connectForSaver(SignalPipe& signals, ExitStatus& status) {
    std::string error;
    auto connection = WaylandConnection::connect(error, signals.fd());
    if (!connection) {
        status = signals.pending() ? ExitStatus::Ok : ExitStatus::Environment;
        if (status != ExitStatus::Ok)
            std::fprintf(stderr, "veltrane: %s\n", error.c_str());
        return nullptr;
    }
    if (!connection->wmBase() || !connection->compositor()) {
        std::fprintf(stderr, "veltrane: the Wayland compositor \"%s\" offers no %s\n",
                     WaylandConnection::displayName().c_str(),
                     connection->compositor() ? "xdg_wm_base (xdg-shell)" : "wl_compositor");
        status = ExitStatus::MissingProtocol;
        return nullptr;
    }
    status = ExitStatus::Ok;
    return connection;
}
