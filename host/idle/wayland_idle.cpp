#include "host/idle/wayland_idle.h"

#include "host/idle/ext_idle_source.h"
#include "host/idle/kde_idle_source.h"
#include "host/idle/wayland_idle_connection.h"

std::unique_ptr<IdleSource> openWaylandIdleSource(std::chrono::milliseconds period,
                                                  std::string& why, int wakeFd) {
    auto connection = WaylandIdleConnection::connect(why, wakeFd);
    if (!connection)
        return nullptr;
    if (!connection->seat()) {
        why = "the Wayland compositor \"" + WaylandIdleConnection::displayName() +
              "\" offers no seat (wl_seat)";
        return nullptr;
    }
    if (connection->extNotifier())
        return ExtIdleSource::open(std::move(connection), period, why);
    if (connection->kdeIdle())
        return KdeIdleSource::open(std::move(connection), period, why);
    why = "the Wayland compositor \"" + WaylandIdleConnection::displayName() +
          "\" offers neither ext_idle_notifier_v1 nor org_kde_kwin_idle";
    return nullptr;
}
