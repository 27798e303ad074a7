#include "render/moving_light.h"

#include "tracery/random.h"

#include <cmath>

void MovingLight::advance() {
    if (fade < 0.15)
        fade += 0.001;

    if (std::fabs(level - target) < 0.1) {
        // The swing alternates: back to the resting 0.7, then out to a random level.
        if (target == 0.7)
            target = 0.7 + 0.3 * random01();
        else
            target = 0.7;
    } else if (level < target) {
        level += 0.15;
    } else {
        level -= 0.15;
    }
    intensity = level * fade;

    if ((position - goal).length() < 0.1) {
        const double x = 2.0 * random01() - 1.0;
        const double y = 1.5 * random01() - 0.75;
        goal = Vector2D(x, y);
    }

    velocity += (goal - position) * 0.0002 - velocity * 0.03;
    position += velocity;
}
