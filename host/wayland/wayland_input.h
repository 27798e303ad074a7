#pragma once

#include "host/linux/mouse_travel.h"

#include <cstdint>

struct wl_keyboard;
struct wl_pointer;
struct wl_seat;
struct wl_touch;

// The closing rules on a Wayland seat: a key pressed, a button pressed, a
// touch, or pointer travel beyond MouseTravel's threshold in the surface's
// logical pixels (the anchor is where the pointer first enters). Releases,
// keys already held when the surface got the focus, and scrolling do not
// close. With `hideCursor` the pointer is invisible over the surface.
// Window thread only: the listeners run in the connection's dispatch.
class WaylandInput {
public:
    WaylandInput(wl_seat* seat, bool hideCursor);
    ~WaylandInput();
    WaylandInput(const WaylandInput&) = delete;
    WaylandInput& operator=(const WaylandInput&) = delete;

    // True once an input asked the saver to close.
    bool closeRequested() const { return closeRequested_; }

private:
    static void capabilities(void* data, wl_seat* seat, std::uint32_t caps);
    // Positions are wl_fixed_t.
    static void pointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial,
                             struct wl_surface*, std::int32_t x, std::int32_t y);
    static void pointerMotion(void* data, wl_pointer*, std::uint32_t, std::int32_t x,
                              std::int32_t y);
    void moved(std::int32_t fixedX, std::int32_t fixedY);
    void bindDevices(std::uint32_t caps);
    void releaseDevices();

    wl_seat* seat_;
    bool hideCursor_;
    bool closeRequested_ = false;
    MouseTravel travel_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_touch* touch_ = nullptr;

    friend struct WaylandInputListeners;
};
