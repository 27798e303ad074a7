#pragma once

#include "tracery/vector3d.h"

// A small teal glow that rises from below the picture while spiralling around the
// vertical line through its origin, with a slowly widening radius.
struct GlowParticle {
    Vector3D origin; // base of the spiral; origin.y is the height
    double red = 0;
    double green = 0;
    double blue = 0;
    double angle = 0;        // radians
    double angularSpeed = 0; // radians per frame
    double radius = 0;
    double radialSpeed = 0; // per frame
    double riseSpeed = 0;   // per frame

    // A new particle just below the picture. Makes exactly seven random01 draws, in the
    // order x, green, angle, angularSpeed, radius, radialSpeed, riseSpeed.
    static GlowParticle born();

    // One frame of motion along the spiral.
    void advance();
    // Where its sprite is centred this frame.
    Vector3D centre() const;
};
