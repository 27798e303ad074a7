#include "host/wayland/surface_size.h"

#include <algorithm>

namespace {
int side(int configured, int fallback) {
    return std::clamp(configured > 0 ? configured : fallback, 1, maxBufferSide);
}
} // namespace

SurfaceSize chooseSurfaceSize(int configuredWidth, int configuredHeight, int fallbackWidth,
                              int fallbackHeight, int scale) {
    SurfaceSize size;
    size.width = side(configuredWidth, fallbackWidth);
    size.height = side(configuredHeight, fallbackHeight);
    size.scale = std::clamp(scale, 1, 16);
    while (size.scale > 1 && std::max(size.width, size.height) * size.scale > maxBufferSide)
        --size.scale;
    return size;
}

int logicalSide(int pixels, int scale) {
    if (pixels <= 0)
        return 0;
    const int by = std::max(scale, 1);
    return pixels / by + (pixels % by != 0 ? 1 : 0);
}
