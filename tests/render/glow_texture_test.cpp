#include "render/glow_texture.h"
#include "tracery/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace {
std::vector<float> texelsOnFreshThread() {
    std::vector<float> texels;
    std::thread([&] { texels = makeGlowTexels(); }).join();
    return texels;
}
} // namespace

TEST(GlowTexture, IsTheSameOnEveryRunAndConsumesOneDrawPerTexel) {
    const std::vector<float> first = texelsOnFreshThread();
    const std::vector<float> second = texelsOnFreshThread();
    ASSERT_EQ(first.size(), 128u * 128u);
    EXPECT_EQ(first, second);

    seedRandom(1);
    const std::vector<float> here = makeGlowTexels();
    EXPECT_EQ(here, first) << "a new thread's generator starts at 1";
    const std::uint32_t after = randomState();
    seedRandom(1);
    for (int k = 0; k < 128 * 128; ++k)
        randomNext15();
    EXPECT_EQ(after, randomState());
}

TEST(GlowTexture, FallsOffFromACentreOfOneWithinTheNoiseBand) {
    const std::vector<float> t = texelsOnFreshThread();
    auto at = [&](int i, int j) {
        return static_cast<double>(t[static_cast<std::size_t>(i * 128 + j)]);
    };
    EXPECT_EQ(at(64, 64), 1.0);

    // Every texel is exp(-0.09 r d) with the noise r in [0.95, 1.05]: recover r and check
    // it, which makes the texture symmetric about (64, 64) within that noise.
    double lowest = 2.0;
    double highest = 0.0;
    for (int i = 0; i < 128; ++i) {
        for (int j = 0; j < 128; ++j) {
            const double d = std::hypot(i - 64.0, j - 64.0);
            if (d == 0.0)
                continue;
            const double r = -std::log(at(i, j)) / (0.09 * d);
            // float storage rounds the texel: allow a hair beyond the band.
            ASSERT_GE(r, 0.95 - 1e-4) << i << "," << j;
            ASSERT_LE(r, 1.05 + 1e-4) << i << "," << j;
            lowest = std::min(lowest, r);
            highest = std::max(highest, r);
        }
    }
    EXPECT_LT(lowest, 0.96) << "the noise must actually vary";
    EXPECT_GT(highest, 1.04);

    // Inscribed circle: about 0.003.
    EXPECT_NEAR(at(64, 0), std::exp(-0.09 * 64), 0.002);
}
