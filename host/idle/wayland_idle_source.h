#pragma once

#include "host/idle/idle_source.h"
#include "host/idle/wayland_idle_connection.h"

#include <chrono>
#include <cstdint>
#include <memory>

// What the Wayland idle protocols share: a connection of the source's own,
// event driven (fd() is the display's descriptor, no timed wake-ups), and the
// state the protocol's idle and resumed events set. The compositor alone
// decides when the seat is idle, so idle inhibitors are honoured there.
class WaylandIdleSource : public IdleSource {
public:
    int fd() const override { return connection_->fd(); }
    std::chrono::milliseconds wakeAfter() const override { return std::chrono::milliseconds(-1); }
    bool dispatch() override { return connection_->dispatch(); }
    IdleState state() const override { return state_; }

protected:
    explicit WaylandIdleSource(std::unique_ptr<WaylandIdleConnection> connection)
        : connection_(std::move(connection)) {}
    WaylandIdleConnection& connection() { return *connection_; }
    void setState(IdleState state) { state_ = state; }
    // The period as the protocols take it: milliseconds in 32 bits, clamped.
    static std::uint32_t protocolTimeout(std::chrono::milliseconds period);

private:
    std::unique_ptr<WaylandIdleConnection> connection_;
    IdleState state_ = IdleState::Active;
};
