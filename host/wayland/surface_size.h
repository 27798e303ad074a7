#pragma once

// The size of a surface in the compositor's logical pixels and in buffer
// pixels, and how one follows from the other.
struct SurfaceSize {
    int width = 0; // logical
    int height = 0;
    int scale = 1; // buffer pixels per logical pixel, each way

    int bufferWidth() const { return width * scale; }
    int bufferHeight() const { return height * scale; }
    bool operator==(const SurfaceSize&) const = default;
};

// The largest buffer side the host asks EGL for.
inline constexpr int maxBufferSide = 16384;

// The logical side that `pixels` of an output at `scale` make, rounded up so
// that a full-screen buffer covers the whole output; 0 stays 0 (unknown).
int logicalSide(int pixels, int scale);

// The size to draw at after a configure: the configured size, or where the
// compositor leaves a side to the client (0) the fallback's, clamped to
// 1..maxBufferSide; then the scale, clamped to 1..16 and lowered until the
// buffer fits maxBufferSide. The buffer is always a whole multiple of the
// scale, as wl_surface requires.
SurfaceSize chooseSurfaceSize(int configuredWidth, int configuredHeight, int fallbackWidth,
                              int fallbackHeight, int scale);
