#pragma once

#include "host/wayland/pointer_travel.h"

#include <cstdint>

struct wl_keyboard;
struct wl_pointer;
struct wl_seat;
struct wl_touch;
struct zwp_relative_pointer_manager_v1;
struct zwp_relative_pointer_v1;

class ClosingRules;

// A Wayland seat's input as the closing rules take it: key and button
// presses, touches, and pointer travel (PointerTravel says how it is
// measured; `relativePointers` may be null). Releases, keys already held when
// the surface got the focus, and scrolling are not input. With `hideCursor`
// the pointer is invisible over the surface.
//
// Window thread only: the listeners run in the connection's dispatch, and
// report to `rules` in the order the events came; `rules` outlives this.
class WaylandInput {
public:
    WaylandInput(wl_seat* seat, zwp_relative_pointer_manager_v1* relativePointers, bool hideCursor,
                 ClosingRules& rules);
    ~WaylandInput();
    WaylandInput(const WaylandInput&) = delete;
    WaylandInput& operator=(const WaylandInput&) = delete;

    // The compositor configured the surface, which may have moved it.
    void surfaceConfigured() { travel_.surfaceConfigured(); }
    // After each dispatch of the connection.
    void endOfBatch() { travel_.endOfBatch(); }

private:
    static void capabilities(void* data, wl_seat* seat, std::uint32_t caps);
    // Positions are wl_fixed_t.
    static void pointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial,
                             struct wl_surface*, std::int32_t x, std::int32_t y);
    static void pointerMotion(void* data, wl_pointer*, std::uint32_t, std::int32_t x,
                              std::int32_t y);
    static void relativeMotion(void* data, zwp_relative_pointer_v1*, std::uint32_t, std::uint32_t,
                               std::int32_t dx, std::int32_t dy, std::int32_t, std::int32_t);
    // Binds the devices `caps` has that are not bound, releases those it lacks.
    void updateDevices(std::uint32_t caps);
    // Releases the devices named.
    void releaseDevices(bool keyboard, bool pointer, bool touch);

    wl_seat* seat_;
    zwp_relative_pointer_manager_v1* relativePointers_;
    bool hideCursor_;
    ClosingRules& rules_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_touch* touch_ = nullptr;
    zwp_relative_pointer_v1* relative_ = nullptr;
    PointerTravel travel_;

    friend struct WaylandInputListeners;
};
