#include "host/idle/kde_idle_source.h"

#include "idle-client-protocol.h"

std::unique_ptr<IdleSource> KdeIdleSource::open(std::unique_ptr<WaylandIdleConnection> connection,
                                                std::chrono::milliseconds period,
                                                std::string& error) {
    if (!connection->seat() || !connection->kdeIdle()) {
        error = "the Wayland compositor \"" + WaylandIdleConnection::displayName() +
                "\" offers no " + (connection->seat() ? "org_kde_kwin_idle" : "wl_seat");
        return nullptr;
    }
    std::unique_ptr<KdeIdleSource> source(new KdeIdleSource(std::move(connection)));
    static const org_kde_kwin_idle_timeout_listener listener = {
        .idle =
            [](void* data, org_kde_kwin_idle_timeout*) {
                static_cast<KdeIdleSource*>(data)->setState(IdleState::Idle);
            },
        .resumed =
            [](void* data, org_kde_kwin_idle_timeout*) {
                static_cast<KdeIdleSource*>(data)->setState(IdleState::Active);
            }};
    auto& link = source->connection();
    source->timeout_ =
        org_kde_kwin_idle_get_idle_timeout(link.kdeIdle(), link.seat(), protocolTimeout(period));
    org_kde_kwin_idle_timeout_add_listener(source->timeout_, &listener, source.get());
    if (!link.roundtrip()) {
        error = "the Wayland compositor \"" + WaylandIdleConnection::displayName() +
                "\" did not answer the idle timeout request";
        return nullptr;
    }
    return source;
}

KdeIdleSource::~KdeIdleSource() {
    if (timeout_)
        org_kde_kwin_idle_timeout_release(timeout_);
}
