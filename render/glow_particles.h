#pragma once

#include "render/glow_particle.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

// The population of rising glow particles, without any drawing of its own: the frame
// passes a drawing function so the life rules can be exercised without a GL context.
class GlowParticles {
public:
    static constexpr std::size_t maximum = 100;

    // Advances every particle, hands it to `draw`, and deletes at the end of the pass
    // every particle whose height passed 1.0 in it (so it is drawn once more first).
    void pass(const std::function<void(const GlowParticle&)>& draw);
    // The frame's one spawn draw: one random01 every call, and a new particle when it
    // is below 0.1 and fewer than `maximum` exist. The newborn is first drawn by the
    // next pass.
    void spawn();

    std::size_t size() const { return particles_.size(); }
    void clear() { particles_.clear(); }
    // Read-only view for tools and tests.
    const GlowParticle& at(std::size_t i) const { return *particles_[i]; }

private:
    std::vector<std::unique_ptr<GlowParticle>> particles_;
};
