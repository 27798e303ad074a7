#include "host/linux/mouse_travel.h"

#include <cstdlib>

void MouseTravel::setAnchor(int x, int y) {
    anchorX_ = x;
    anchorY_ = y;
    hasAnchor_ = true;
}

bool MouseTravel::exceeded(int x, int y) {
    if (!hasAnchor_) {
        setAnchor(x, y);
        return false;
    }
    // long: root coordinates are 16-bit, but a corrupted event must not overflow.
    long travel =
        std::labs(static_cast<long>(x) - anchorX_) + std::labs(static_cast<long>(y) - anchorY_);
    if (travel <= threshold_)
        return false;
    setAnchor(x, y);
    return true;
}
