#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;
struct wl_display;
struct wl_registry;
struct wl_seat;

// The idle watcher's own client connection to the compositor named by
// $WAYLAND_DISPLAY, with the globals the Wayland idle sources use: the first
// wl_seat and whichever idle notifiers the compositor offers. It is not the
// saver's connection (host/wayland): that one binds the shell and every output
// and lives only while a saver shows; this one lives as long as the watcher.
// One thread.
class WaylandIdleConnection {
public:
    // Null with `error` naming the display when $WAYLAND_DISPLAY is unset or
    // empty, nothing listens there, or the compositor does not answer within
    // answerSeconds (something silent at the socket). A readable `wakeFd`
    // (the watcher's signal pipe; -1 for none) ends that wait early, failed.
    static std::unique_ptr<WaylandIdleConnection> connect(std::string& error, int wakeFd = -1);
    ~WaylandIdleConnection();
    WaylandIdleConnection(const WaylandIdleConnection&) = delete;
    WaylandIdleConnection& operator=(const WaylandIdleConnection&) = delete;

    static constexpr int answerSeconds = 5;

    // $WAYLAND_DISPLAY as the user gave it, for messages.
    static std::string displayName();

    wl_seat* seat() const { return seat_; }
    ext_idle_notifier_v1* extNotifier() const { return extNotifier_; }
    org_kde_kwin_idle* kdeIdle() const { return kdeIdle_; }
    int fd() const;

    // Waits until the compositor has answered every request so far,
    // dispatching events meanwhile. False when the connection failed, when
    // answerSeconds passed in silence, or when the wake descriptor became
    // readable.
    bool roundtrip();
    // Reads and dispatches whatever has arrived, never waiting, then sends
    // what is queued. False once the connection has failed: the compositor is
    // gone or reported a protocol error.
    bool dispatch();

private:
    WaylandIdleConnection() = default;
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void globalRemove(void* data, wl_registry* registry, std::uint32_t name);

    wl_display* display_ = nullptr;
    int wakeFd_ = -1;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    ext_idle_notifier_v1* extNotifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
};
