#pragma once

#include "tracery/vector2d.h"

// The point light that wanders just above the tracery plane. It steers like a damped
// spring toward a goal that is re-drawn whenever the light gets close, and its
// brightness swings in 0.15 steps between 0.7 and a random level up to 1.0, scaled by a
// fade that brings it up over the first 150 frames. All fields start at zero.
struct MovingLight {
    double intensity = 0; // current brightness, also the half-size of its glow sprite
    double fade = 0;      // 0 -> 0.15 in steps of 0.001
    double level = 0;     // brightness before the fade
    double target = 0;    // the level `level` is heading for
    Vector2D velocity;    // per frame, in the plane
    Vector2D position;    // in the plane
    Vector2D goal;        // where it is steering

    // One frame of motion. Draws random01 once when the brightness target is re-drawn
    // above 0.7, and twice (x first) when a new goal is picked. No GL.
    void advance();
};
