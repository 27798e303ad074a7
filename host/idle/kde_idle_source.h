#pragma once

#include "host/idle/wayland_idle_source.h"

#include <string>

struct org_kde_kwin_idle_timeout;

// org_kde_kwin_idle (sway before 1.9, older KWin; KWin 5.27 offers it beside
// ext-idle-notify-v1): one timeout on the first seat. Idle once the seat has
// had no input for the period, counted from the timeout's creation or the
// last input; Active again at the next input.
class KdeIdleSource final : public WaylandIdleSource {
public:
    // Null with `error` when the connection has no seat or no
    // org_kde_kwin_idle, or the compositor does not answer the request.
    static std::unique_ptr<IdleSource> open(std::unique_ptr<WaylandIdleConnection> connection,
                                            std::chrono::milliseconds period, std::string& error);
    ~KdeIdleSource() override;

    const char* name() const override { return "org_kde_kwin_idle"; }

private:
    explicit KdeIdleSource(std::unique_ptr<WaylandIdleConnection> connection)
        : WaylandIdleSource(std::move(connection)) {}

    org_kde_kwin_idle_timeout* timeout_ = nullptr;
};
