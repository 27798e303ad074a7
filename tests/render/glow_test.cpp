#include "render/glow_particles.h"
#include "render/glow_texture.h"
#include "tests/tracery/random_replay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

TEST(GlowTexture, IsTheSameEveryRunAndFallsOffFromACentreOfOneWithinTheNoise) {
    std::vector<float> first;
    std::thread([&] { first = makeGlowTexels(); }).join();
    ASSERT_EQ(first.size(), 128u * 128u);
    seedRandom(1); // a new thread's generator starts at 1: every run draws the same texels
    EXPECT_EQ(makeGlowTexels(), first);
    EXPECT_EQ(drawsSince(1), 128 * 128) << "one draw per texel";

    auto at = [&](int i, int j) { return double{first[static_cast<std::size_t>(i * 128 + j)]}; };
    EXPECT_EQ(at(64, 64), 1.0);
    // Every texel is exp(-0.09 r d) with the noise r in [0.95, 1.05]: recovering r checks the
    // symmetry about (64, 64). Float storage rounds the texel: allow a hair beyond the band.
    double lowest = 2.0, highest = 0.0;
    for (int i = 0; i < 128; ++i) {
        for (int j = 0; j < 128; ++j) {
            const double d = std::hypot(i - 64.0, j - 64.0);
            if (d == 0.0)
                continue;
            const double r = -std::log(at(i, j)) / (0.09 * d);
            ASSERT_TRUE(r >= 0.95 - 1e-4 && r <= 1.05 + 1e-4) << i << "," << j << ": " << r;
            lowest = std::min(lowest, r);
            highest = std::max(highest, r);
        }
    }
    EXPECT_TRUE(lowest < 0.96 && highest > 1.04) << "the noise must actually vary";
}

// A newborn's fields come from seven draws in field order; the picture depends on that order.
TEST(GlowParticles, SpawnDrawsEveryFrameAndBirthsAtMostOneUpToTheCapFromSevenDraws) {
    std::uint32_t state = 777;
    seedRandom(state);
    GlowParticles particles;
    int births = 0, lowDrawsAtCap = 0;
    for (int frame = 0; frame < 5000; ++frame) {
        const std::vector<double> u = drawsFrom(state, 8);
        const std::size_t before = particles.size();
        particles.spawn();
        const bool born = particles.size() == before + 1;
        ASSERT_TRUE(born || particles.size() == before);
        ASSERT_EQ(born, u[0] < 0.1 && before < GlowParticles::maximum) << frame;
        ASSERT_EQ(drawsSince(state, 8), born ? 8 : 1) << "one draw, seven more if born";
        state = advanced(state, born ? 8 : 1);
        births += born;
        lowDrawsAtCap += u[0] < 0.1 && before == GlowParticles::maximum;
        if (!born)
            continue;
        const GlowParticle& p = particles.at(before);
        ASSERT_TRUE(p.origin.y == -1.0 && p.origin.z == 0.0 && p.red == 0.0);
        ASSERT_DOUBLE_EQ(p.origin.x, 2 * u[1] - 1);
        ASSERT_DOUBLE_EQ(p.green, 0.7 * u[2]);
        ASSERT_DOUBLE_EQ(p.blue, 1.2 * p.green);
        ASSERT_DOUBLE_EQ(p.angle, 6.2831852 * u[3]);
        ASSERT_DOUBLE_EQ(p.angularSpeed, 0.01 * (u[4] + 1));
        ASSERT_DOUBLE_EQ(p.radius, 0.001 * u[5]);
        ASSERT_DOUBLE_EQ(p.radialSpeed, 0.001 * u[6]);
        ASSERT_DOUBLE_EQ(p.riseSpeed, 0.003 * u[7] + 0.001);
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
    std::vector<double> heights; // every pass draws every particle once, already advanced
    while (particles.size() > 0) {
        ASSERT_LT(heights.size(), 3000u) << "a particle rises at least 0.001 per frame";
        const std::size_t drawn = heights.size();
        particles.pass([&](const GlowParticle& p) { heights.push_back(p.origin.y); });
        ASSERT_EQ(heights.size(), drawn + 1);
    }
    ASSERT_GE(heights.size(), 2u);
    EXPECT_DOUBLE_EQ(heights.front(), -1.0 + rise);
    EXPECT_GT(heights.back(), 1.0) << "drawn once more in the frame it passes 1.0";
    EXPECT_LE(heights[heights.size() - 2], 1.0) << "and not kept for a second one";
}
