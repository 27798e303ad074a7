#pragma once

// The closing rule for pointer movement: the saver closes once the pointer is
// more than `threshold` pixels (horizontal plus vertical distance) away from
// the anchor. The anchor moves only when the rule fires, so small moves in one
// direction add up; jitter around the anchor never closes the saver.
class MouseTravel {
public:
    explicit MouseTravel(int threshold = 4) : threshold_(threshold) {}

    void setAnchor(int x, int y);

    // True when (x, y), in one coordinate space (the X root window, a Wayland surface), is beyond
    // the threshold; the anchor then becomes (x, y). Without an anchor (the pointer was on another
    // screen at start-up) the first position becomes the anchor.
    bool exceeded(int x, int y);

private:
    int threshold_;
    bool hasAnchor_ = false;
    int anchorX_ = 0;
    int anchorY_ = 0;
};
