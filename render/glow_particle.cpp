#include "render/glow_particle.h"

#include "tracery/random.h"

#include <cmath>

GlowParticle GlowParticle::born() {
    GlowParticle p;
    p.origin.clear();
    p.origin.x = 2.0 * random01() - 1.0;
    p.origin.y = -1.0;
    p.origin.z = 0.0;
    p.red = 0.0;
    p.green = 0.7 * random01();
    p.blue = 1.2 * p.green;
    p.angle = 6.2831852 * random01();
    p.angularSpeed = 0.01 * (random01() + 1.0);
    p.radius = 0.001 * random01();
    p.radialSpeed = 0.001 * random01();
    p.riseSpeed = 0.003 * random01() + 0.001;
    return p;
}

void GlowParticle::advance() {
    angle += angularSpeed;
    radius += radialSpeed;
    origin.y += riseSpeed;
}

Vector3D GlowParticle::centre() const {
    Vector3D c;
    c.x = origin.x + radius * std::sin(angle);
    c.y = origin.y;
    c.z = origin.z + radius * std::cos(angle);
    return c;
}
