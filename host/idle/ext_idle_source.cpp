#include "host/idle/ext_idle_source.h"

#include "ext-idle-notify-v1-client-protocol.h"

std::unique_ptr<IdleSource> ExtIdleSource::open(std::unique_ptr<WaylandIdleConnection> connection,
                                                std::chrono::milliseconds period,
                                                std::string& error) {
    if (!connection->seat() || !connection->extNotifier()) {
        error = "the Wayland compositor \"" + WaylandIdleConnection::displayName() +
                "\" offers no " + (connection->seat() ? "ext_idle_notifier_v1" : "wl_seat");
        return nullptr;
    }
    std::unique_ptr<ExtIdleSource> source(new ExtIdleSource(std::move(connection)));
    static const ext_idle_notification_v1_listener listener = {
        .idled =
            [](void* data, ext_idle_notification_v1*) {
                static_cast<ExtIdleSource*>(data)->setState(IdleState::Idle);
            },
        .resumed =
            [](void* data, ext_idle_notification_v1*) {
                static_cast<ExtIdleSource*>(data)->setState(IdleState::Active);
            }};
    auto& link = source->connection();
    source->notification_ = ext_idle_notifier_v1_get_idle_notification(
        link.extNotifier(), protocolTimeout(period), link.seat());
    ext_idle_notification_v1_add_listener(source->notification_, &listener, source.get());
    if (!link.roundtrip()) {
        error = "the Wayland compositor \"" + WaylandIdleConnection::displayName() +
                "\" did not answer the idle notification request";
        return nullptr;
    }
    return source;
}

ExtIdleSource::~ExtIdleSource() {
    if (notification_)
        ext_idle_notification_v1_destroy(notification_);
}
