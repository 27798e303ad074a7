#pragma once

#include "host/common/exit_status.h"
#include "host/posix/signal_pipe.h"
#include "host/wayland/output_scales.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_seat;
struct xdg_wm_base;
struct zwp_relative_pointer_manager_v1;

// One client connection to the compositor named by $WAYLAND_DISPLAY and the
// globals the host binds: wl_compositor, xdg_wm_base (whose pings it answers),
// the first wl_seat and every wl_output, whose scales it keeps in scales().
// Everything here runs on the thread that owns the connection; the EGL driver
// uses the display from the simulation thread on a queue of its own.
class WaylandConnection {
public:
    // Null with a message naming the display when no compositor answers there
    // (nothing listening, not a Wayland socket, silent, or gone at once).
    // `wakeFd` as for setWakeFd.
    static std::unique_ptr<WaylandConnection> connect(std::string& error, int wakeFd);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    // The display's name as the user gave it, for messages.
    static std::string displayName();

    wl_display* display() const { return display_; }
    wl_compositor* compositor() const { return compositor_; }
    xdg_wm_base* wmBase() const { return wmBase_; }
    wl_seat* seat() const { return seat_; }
    // Null where the compositor offers no relative pointer motion.
    zwp_relative_pointer_manager_v1* relativePointers() const { return relativePointers_; }
    int compositorVersion() const { return compositorVersion_; }
    // The bound output of that registry name, or null.
    wl_output* output(std::uint32_t name) const;
    // The registry names of the bound outputs, in ascending order.
    std::vector<std::uint32_t> outputNames() const;
    // The registry name of a bound output, or 0.
    std::uint32_t outputName(const wl_output* output) const;
    OutputScales& scales() { return scales_; }
    // An output's current mode in pixels; (0, 0) until it has told.
    std::pair<int, int> outputMode(std::uint32_t name) const;

    // Called as outputs come and go (after the output's own bookkeeping).
    std::function<void(std::uint32_t name)> onOutputAdded;
    std::function<void(std::uint32_t name)> onOutputRemoved;
    // Called when a scale changed (an output's, or because one went).
    std::function<void()> onScaleChanged;

    // Waits for the compositor to answer every request so far, dispatching
    // events. False once the connection has failed, when the compositor has
    // not answered within 5 s (something silent at the socket), or when
    // wakeFd() became readable (a signal: the caller looks).
    bool roundtrip();
    // Dispatches what has arrived, then waits up to `milliseconds` for more
    // or for wakeFd() and dispatches that. Reads so that the EGL driver's own
    // reads on another thread (on its queue) and ours never steal from each
    // other. False once the connection has failed.
    bool dispatch(int milliseconds);
    // A descriptor that ends waits when readable (the signal pipe), or -1.
    void setWakeFd(int fd) { wakeFd_ = fd; }
    int wakeFd() const { return wakeFd_; }
    // The connection's fatal error (errno or protocol), 0 while it is fine.
    int error() const;

private:
    WaylandConnection() = default;
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void globalRemove(void* data, wl_registry* registry, std::uint32_t name);
    void bindOutput(std::uint32_t name, std::uint32_t version);

    static void outputScale(void* data, wl_output* output, std::int32_t factor);
    static void outputMode(void* data, wl_output* output, std::uint32_t flags, std::int32_t width,
                           std::int32_t height, std::int32_t refresh);

    wl_display* display_ = nullptr;
    int wakeFd_ = -1;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    int compositorVersion_ = 0;
    xdg_wm_base* wmBase_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::uint32_t seatName_ = 0;
    zwp_relative_pointer_manager_v1* relativePointers_ = nullptr;
    std::map<std::uint32_t, wl_output*> outputs_;
    OutputScales scales_;
    std::map<std::uint32_t, std::pair<int, int>> modes_;
};

// A connection for a saver run, woken by `signals`, whose compositor offers
// wl_compositor and xdg_wm_base. Null when the run must end at once, with
// `status` saying how: Ok when a signal arrived during a stalled start,
// Environment or MissingProtocol with the reason printed on stderr.
std::unique_ptr<WaylandConnection> connectForSaver(SignalPipe& signals, ExitStatus& status);
