#pragma once

#include "host/idle/wayland_idle_source.h"

#include <string>

struct ext_idle_notification_v1;

// ext-idle-notify-v1 (KWin 5.27+, sway 1.9+, Hyprland and most current
// compositors): one notification on the first seat. Idle once the seat has
// had no input for the period, counted from the notification's creation or
// the last input; Active again at the next input.
class ExtIdleSource final : public WaylandIdleSource {
public:
    // Null with `error` when the connection has no seat or no
    // ext_idle_notifier_v1, or the compositor does not answer the request.
    static std::unique_ptr<IdleSource> open(std::unique_ptr<WaylandIdleConnection> connection,
                                            std::chrono::milliseconds period, std::string& error);
    ~ExtIdleSource() override;

    const char* name() const override { return "ext-idle-notify-v1"; }

private:
    explicit ExtIdleSource(std::unique_ptr<WaylandIdleConnection> connection)
        : WaylandIdleSource(std::move(connection)) {}

    ext_idle_notification_v1* notification_ = nullptr;
};
