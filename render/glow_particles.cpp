#include "render/glow_particles.h"

#include "tracery/random.h"

#include <algorithm>

void GlowParticles::pass(const std::function<void(const GlowParticle&)>& draw) {
    bool anyGone = false;
    for (const std::unique_ptr<GlowParticle>& p : particles_) {
        p->advance();
        draw(*p);
        if (p->origin.y > 1.0)
            anyGone = true;
    }
    if (anyGone)
        std::erase_if(particles_,
                      [](const std::unique_ptr<GlowParticle>& p) { return p->origin.y > 1.0; });
}

void GlowParticles::spawn() {
    const double u = random01();
    if (u < 0.1 && particles_.size() < maximum)
        particles_.push_back(std::make_unique<GlowParticle>(GlowParticle::born()));
}
