#pragma once

#include <array>
#include <cstdint>
#include <string>

// The frame-rate overlay that XScreenSaver's peers draw on request (-fps):
// two lines in the bottom-left corner, frames per second and the milliseconds
// of work the drawing thread spent per tick. Drawn after the frame, just before
// it is presented, with OpenGL 1.1 bitmaps from a small built-in font, so it
// touches only the pixels under its text and leaves every GL state as it found
// it: the picture elsewhere and the model are the same with or without it.
class FpsOverlay {
public:
    // One call per frame, on the drawing thread. `now` is a monotonic clock in
    // seconds, `busy` the drawing thread's CPU time in seconds (any epochs).
    // The figures are averages over spans of at least one second and change
    // at the end of each span, as the peers' do.
    void frameDone(double now, double busy);

    // No frame was drawn for a while (nobody could see it): the next frame
    // opens a new span instead of averaging over the time nothing was drawn.
    // The figures shown keep their last values until that span has passed.
    void restartSpan() { started_ = false; }

    // The text, top line first: "FPS: 33.3" and "ms/tick: 4.2"; "--" in place
    // of the numbers until the first span has passed.
    std::array<std::string, 2> lines() const;

    // Draws lines() at the bottom left of the current viewport, white with a
    // black shadow. Needs a current context; changes no state.
    void draw() const;

private:
    bool started_ = false;
    bool measured_ = false;
    double spanStart_ = 0.0;
    double busyStart_ = 0.0;
    std::int64_t spanFrames_ = 0;
    double framesPerSecond_ = 0.0;
    double msPerTick_ = 0.0;
};
