#include "render/glow_particles.h"
#include "tests/render/random_probe.h"
#include "tracery/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
// The next n random01 values from the current state, leaving the state untouched.
std::vector<double> peekDraws(int n) {
    const std::uint32_t saved = randomState();
    std::vector<double> draws;
    for (int k = 0; k < n; ++k)
        draws.push_back(random01());
    seedRandom(saved);
    return draws;
}
} // namespace

TEST(GlowParticle, IsBornBelowThePictureFromSevenDrawsInFieldOrder) {
    seedRandom(12345);
    const std::vector<double> u = peekDraws(8);
    const GlowParticle p = GlowParticle::born();
    EXPECT_DOUBLE_EQ(p.origin.x, 2 * u[0] - 1);
    EXPECT_EQ(p.origin.y, -1.0);
    EXPECT_EQ(p.origin.z, 0.0);
    EXPECT_EQ(p.red, 0.0);
    EXPECT_DOUBLE_EQ(p.green, 0.7 * u[1]);
    EXPECT_DOUBLE_EQ(p.blue, 1.2 * p.green);
    EXPECT_DOUBLE_EQ(p.angle, 6.2831852 * u[2]);
    EXPECT_DOUBLE_EQ(p.angularSpeed, 0.01 * (u[3] + 1));
    EXPECT_DOUBLE_EQ(p.radius, 0.001 * u[4]);
    EXPECT_DOUBLE_EQ(p.radialSpeed, 0.001 * u[5]);
    EXPECT_DOUBLE_EQ(p.riseSpeed, 0.003 * u[6] + 0.001);
    EXPECT_EQ(random01(), u[7]) << "exactly seven draws";
}

TEST(GlowParticles, SpawnDrawsEveryFrameAndBirthsAtMostOneUpToTheCap) {
    seedRandom(777);
    GlowParticles particles;
    int births = 0;
    int lowDrawsAtCap = 0;
    for (int frame = 0; frame < 5000; ++frame) {
        const std::uint32_t state = randomState();
        const double u = peekDraws(1)[0];
        const std::size_t before = particles.size();
        particles.spawn();
        const std::size_t after = particles.size();
        if (after == before + 1) {
            ++births;
            ASSERT_LT(u, 0.1);
            ASSERT_EQ(randomState(), stateAfterDraws(state, 8))
                << "spawn draw + seven for the particle";
        } else {
            ASSERT_EQ(after, before);
            ASSERT_TRUE(u >= 0.1 || before == GlowParticles::maximum);
            if (u < 0.1)
                ++lowDrawsAtCap;
            ASSERT_EQ(randomState(), stateAfterDraws(state, 1)) << "one draw whether or not born";
        }
    }
    EXPECT_EQ(births, 100);
    EXPECT_EQ(particles.size(), GlowParticles::maximum);
    EXPECT_GT(lowDrawsAtCap, 0) << "the cap, not luck, must have stopped births";
}

TEST(GlowParticles, NewbornIsDrawnNextPassAndLeavesAfterTheFrameItPassesTheTop) {
    seedRandom(4242);
    GlowParticles particles;
    while (particles.size() == 0)
        particles.spawn();
    const double rise = particles.at(0).riseSpeed;

    // Every pass draws every particle once, already advanced.
    std::vector<double> heights;
    int passes = 0;
    while (particles.size() > 0) {
        ASSERT_LT(passes, 3000) << "a particle rises at least 0.001 per frame";
        int drawn = 0;
        particles.pass([&](const GlowParticle& p) {
            ++drawn;
            heights.push_back(p.origin.y);
        });
        ASSERT_EQ(drawn, 1);
        ++passes;
    }
    ASSERT_GE(heights.size(), 2u);
    EXPECT_DOUBLE_EQ(heights.front(), -1.0 + rise);
    EXPECT_GT(heights.back(), 1.0) << "drawn once more in the frame it passes 1.0";
    EXPECT_LE(heights[heights.size() - 2], 1.0) << "and not kept for a second one";
}
