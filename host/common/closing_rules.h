#pragma once

#include <optional>
#include <utility>

// When a running saver closes, as every host applies it. A host translates
// its native events into the calls below, in the order they happened; each
// call answers whether that event closes the saver (every time it does: a
// close the host refuses, as the 9x family's password may, leaves the rules
// watching), and closed() remembers the first. One object per saver surface,
// used on the host's event thread only.
//
// A saver that watches input (a window or full screen, not an XScreenSaver
// hack or a preview) closes on a key or button press, a touch, or pointer
// travel of more than `travelThreshold` pixels (horizontal plus vertical
// distance) from the anchor. The anchor moves only when travel closes, so
// small moves in one direction add up and jitter never closes. Every saver
// closes on the window system's close request and on a termination signal.
class ClosingRules {
public:
    static constexpr int travelThreshold = 4;

    enum class Cause { Input, PointerTravel, WindowClosed, Signal };

    explicit ClosingRules(bool watchesInput = true) : watchesInput_(watchesInput) {}

    // Where the pointer is, in the coordinate space of later pointerAt()
    // calls, when the saver appears (or again after a refused close).
    void anchorPointer(int x, int y);
    // The surface moved or was resized under the pointer: positions in its
    // coordinates before and after are not comparable, so the next position
    // becomes the anchor instead of counting as travel.
    void surfaceMoved() { anchored_ = false; }

    bool keyPressed() { return input(Cause::Input); }
    bool buttonPressed() { return input(Cause::Input); }
    bool touched() { return input(Cause::Input); }
    // The pointer is at (x, y) in the space of the anchor (the X root window,
    // the Win32 screen, a Wayland surface's logical pixels). Without an
    // anchor the position becomes the anchor.
    bool pointerAt(int x, int y);
    bool windowCloseRequested() { return close(Cause::WindowClosed); }
    bool signalled() { return close(Cause::Signal); }

    // Whether any event so far closed the saver, and the first one's cause.
    bool closed() const { return cause_.has_value(); }
    std::optional<Cause> cause() const { return cause_; }
    // The anchor, if there is one.
    std::optional<std::pair<int, int>> anchor() const;

private:
    bool input(Cause cause) { return watchesInput_ && close(cause); }
    bool close(Cause cause);

    bool watchesInput_;
    std::optional<Cause> cause_;
    bool anchored_ = false;
    int anchorX_ = 0;
    int anchorY_ = 0;
};
