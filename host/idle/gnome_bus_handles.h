#pragma once

#include <memory>
#include <systemd/sd-bus.h>

// Owning handles for sd-bus objects. A connection is closed without flushing
// on release: a peer that stopped reading must not hold up the watcher.
struct GnomeBusCloser {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct GnomeMessageReleaser {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using GnomeBus = std::unique_ptr<sd_bus, GnomeBusCloser>;
using GnomeMessage = std::unique_ptr<sd_bus_message, GnomeMessageReleaser>;

// An sd_bus_error freed on scope exit.
struct GnomeBusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    GnomeBusError() = default;
    GnomeBusError(const GnomeBusError&) = delete;
    GnomeBusError& operator=(const GnomeBusError&) = delete;
    ~GnomeBusError() { sd_bus_error_free(&error); }
    const char* text() const { return error.message ? error.message : error.name; }
};
