#pragma once

#include "render/drawing_target.h"

#include <windows.h>

// The saver window as the Loader's drawing target: the window's own device
// context and the rendering context made for it. Made current and swapped on
// the simulation thread only; the window thread creates and deletes the
// context around the universe's life.
class WglDrawingTarget final : public DrawingTarget {
public:
    WglDrawingTarget(HWND window, HDC dc, HGLRC context)
        : window_(window), dc_(dc), context_(context) {}

    bool makeCurrent() override;
    void present() override;
    void releaseCurrent() override;
    int width() const override;
    int height() const override;

private:
    HWND window_;
    HDC dc_;
    HGLRC context_;
};
