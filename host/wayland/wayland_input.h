#pragma once

#include <cstdint>

struct wl_keyboard;
struct wl_pointer;
struct wl_seat;
struct wl_touch;

class ClosingRules;

// A Wayland seat's input as the closing rules take it: key and button
// presses, touches, and pointer positions in the surface's logical pixels
// (the first entry anchors them; coming back elsewhere counts as travel).
// Releases, keys already held when the surface got the focus, and scrolling
// are not input. With `hideCursor` the pointer is invisible over the surface.
// Window thread only: the listeners run in the connection's dispatch, and
// report to `rules` in the order the events came; `rules` outlives this.
class WaylandInput {
public:
    WaylandInput(wl_seat* seat, bool hideCursor, ClosingRules& rules);
    ~WaylandInput();
    WaylandInput(const WaylandInput&) = delete;
    WaylandInput& operator=(const WaylandInput&) = delete;

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
    ClosingRules& rules_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_touch* touch_ = nullptr;

    friend struct WaylandInputListeners;
};
