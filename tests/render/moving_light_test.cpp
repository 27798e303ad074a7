#include "render/moving_light.h"
#include "tests/render/random_probe.h"
#include "tracery/random.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(MovingLight, FirstFrameSetsTheRestingTargetAndPicksAGoal) {
    seedRandom(5);
    const std::uint32_t start = randomState();
    const double gx = 2 * random01() - 1;
    const double gy = 1.5 * random01() - 0.75;
    seedRandom(start);

    MovingLight light;
    light.advance();
    EXPECT_DOUBLE_EQ(light.fade, 0.001);
    EXPECT_EQ(light.target, 0.7) << "no draw for the resting level";
    EXPECT_EQ(light.level, 0.0);
    EXPECT_EQ(light.intensity, 0.0) << "the sprite starts at size 0";
    EXPECT_EQ(light.goal, Vector2D(gx, gy));
    EXPECT_DOUBLE_EQ(light.velocity.x, 0.0002 * gx);
    EXPECT_DOUBLE_EQ(light.position.y, 0.0002 * gy);
    EXPECT_EQ(randomState(), stateAfterDraws(start, 2));
}

TEST(MovingLight, LevelStepsTowardItsTargetAndRedrawsItOnlyWhenClose) {
    MovingLight light;
    light.fade = 0.15;
    light.goal = Vector2D(0.5, 0.5); // far away: no goal draws in this test
    light.target = 0.7;
    light.level = 0.1;
    seedRandom(31);
    const std::uint32_t start = randomState();
    light.advance();
    EXPECT_DOUBLE_EQ(light.level, 0.25);
    EXPECT_EQ(light.target, 0.7);
    EXPECT_EQ(randomState(), start) << "far from target and goal: no draw";
    EXPECT_DOUBLE_EQ(light.intensity, 0.25 * 0.15);

    light.level = 0.65; // within 0.1 of exactly 0.7: one draw for a new target
    light.advance();
    EXPECT_GE(light.target, 0.7);
    EXPECT_LE(light.target, 1.0);
    EXPECT_EQ(light.level, 0.65) << "a re-draw frame does not move the level";
    EXPECT_EQ(randomState(), stateAfterDraws(start, 1));

    light.target = 0.95;
    light.level = 1.0; // close to a target that is not 0.7: back to rest, no draw
    const std::uint32_t before = randomState();
    light.advance();
    EXPECT_EQ(light.target, 0.7);
    EXPECT_EQ(randomState(), before);
    light.advance();
    EXPECT_DOUBLE_EQ(light.level, 0.85);
}

TEST(MovingLight, FadesInOverAboutOneHundredFiftyFramesAndWandersTheRectangle) {
    seedRandom(2024);
    MovingLight light;
    int goals = 0;
    Vector2D lastGoal = light.goal;
    for (int frame = 1; frame <= 20000; ++frame) {
        light.advance();
        if (frame == 100) {
            EXPECT_NEAR(light.fade, 0.1, 1e-9);
        }
        ASSERT_LE(light.fade, 0.1511);
        ASSERT_GE(light.intensity, 0.0);
        ASSERT_LE(light.intensity, 1.15 * 0.1511);
        ASSERT_LT(std::fabs(light.position.x), 1.5);
        ASSERT_LT(std::fabs(light.position.y), 1.2);
        if (!(light.goal == lastGoal)) {
            ++goals;
            ASSERT_LE(std::fabs(light.goal.x), 1.0);
            ASSERT_LE(std::fabs(light.goal.y), 0.75);
            lastGoal = light.goal;
        }
    }
    EXPECT_GE(light.fade, 0.15 - 1e-9);
    EXPECT_GT(goals, 3) << "the damped spring must bring the light to its goals";
}
