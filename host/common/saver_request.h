#pragma once

// What every host is asked to show: the saver in a window or covering the
// screen (on Wayland every output), and whether to draw the frame-rate
// overlay. A host's own extras (the X11 drawable and placement) come beside it.
enum class SaverShape { Window, FullScreen };

struct SaverRequest {
    SaverShape shape = SaverShape::Window;
    // The window's size; a window system may configure another one, and a
    // full screen takes the screen's.
    int width = 1024;
    int height = 768;
    // The frame-rate overlay that XScreenSaver's hacks draw on -fps.
    bool fps = false;
};
