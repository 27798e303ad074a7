#pragma once

#include <optional>
#include <utility>

class ClosingRules;

// How a Wayland seat's pointer motion reaches the closing rules' travel rule.
//
// Surface coordinates (wl_pointer enter and motion) are not a fixed space: a
// compositor may move or resize the surface under a still pointer, and mutter
// places a new window after the pointer entered it without telling the
// client, so that the next 1-pixel nudge reads as a jump of a hundred. Where
// the compositor offers relative pointer motion, that is the space travel is
// measured in, since it does not depend on the surface. Compositors send a
// move's relative motion beside its absolute one, before or after it, so a
// dispatched batch's absolute motion counts only when no relative motion came
// with it (a tablet, a warp, a compositor without the protocol). Whenever the
// space changes, and at every configure while in surface space, the next
// position becomes the anchor instead of counting as travel.
//
// Window thread only, called from the connection's listeners; endOfBatch()
// after each dispatch. `rules` outlives this.
class PointerTravel {
public:
    explicit PointerTravel(ClosingRules& rules) : rules_(rules) {}

    // wl_pointer enter and motion, in the surface's logical pixels.
    void at(double x, double y) { pendingSurface_ = std::make_pair(x, y); }
    // Relative pointer motion.
    void movedBy(double dx, double dy);
    // The compositor configured the surface, which may have moved it.
    void surfaceConfigured();
    // The end of one dispatch of the connection's events.
    void endOfBatch();

private:
    enum class Space { None, Surface, Relative };

    ClosingRules& rules_;
    Space space_ = Space::None;
    std::optional<std::pair<double, double>> pendingSurface_;
    bool relativeInBatch_ = false;
    // The pointer's position summed from relative motion.
    double relativeX_ = 0;
    double relativeY_ = 0;
};
