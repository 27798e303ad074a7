#include "render/moving_light.h"
#include "tests/tracery/random_replay.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(MovingLight, FirstFrameSetsTheRestingTargetAndPicksAGoalXFirst) {
    seedRandom(5);
    const std::vector<double> u = drawsFrom(5, 2);
    MovingLight light;
    light.advance();
    EXPECT_DOUBLE_EQ(light.fade, 0.001);
    EXPECT_EQ(light.target, 0.7) << "no draw for the resting level";
    EXPECT_EQ(light.intensity, 0.0) << "the sprite starts at size 0";
    EXPECT_EQ(light.goal, Vector2D(2 * u[0] - 1, 1.5 * u[1] - 0.75));
    EXPECT_DOUBLE_EQ(light.velocity.x, 0.0002 * light.goal.x);
    EXPECT_DOUBLE_EQ(light.position.y, 0.0002 * light.goal.y);
    EXPECT_EQ(drawsSince(5), 2);
}

TEST(MovingLight, LevelStepsTowardItsTargetAndRedrawsItOnlyWhenClose) {
    MovingLight light;
    light.fade = 0.15;
    light.goal = Vector2D(0.5, 0.5); // far away: no goal draws in this test
    light.target = 0.7;
    light.level = 0.1;
    seedRandom(31);
    light.advance();
    EXPECT_DOUBLE_EQ(light.level, 0.25);
    EXPECT_EQ(drawsSince(31), 0) << "far from target and goal: no draw";
    EXPECT_DOUBLE_EQ(light.intensity, 0.25 * 0.15);

    light.level = 0.65; // within 0.1 of exactly 0.7: one draw for a new target
    light.advance();
    EXPECT_TRUE(light.target >= 0.7 && light.target <= 1.0) << light.target;
    EXPECT_EQ(light.level, 0.65) << "a re-draw frame does not move the level";
    EXPECT_EQ(drawsSince(31), 1);

    light.target = 0.95;
    light.level = 1.0; // close to a target that is not 0.7: back to rest, no draw
    light.advance();
    EXPECT_EQ(light.target, 0.7);
    EXPECT_EQ(drawsSince(31), 1);
    light.advance();
    EXPECT_DOUBLE_EQ(light.level, 0.85);
}

TEST(MovingLight, FadesInOverOneHundredFiftyFramesAndRedrawsGoalsInTheRectangle) {
    seedRandom(2024);
    MovingLight light;
    int goals = 0;
    for (int frame = 1; frame <= 20000; ++frame) {
        const Vector2D lastGoal = light.goal;
        light.advance();
        ASSERT_NEAR(light.fade, 0.001 * std::min(frame, 150), frame < 150 ? 1e-9 : 0.0011);
        ASSERT_TRUE(light.intensity >= 0.0 && light.intensity <= 1.15 * 0.1511) << frame;
        goals += light.goal == lastGoal ? 0 : 1;
        ASSERT_TRUE(std::fabs(light.goal.x) <= 1.0 && std::fabs(light.goal.y) <= 0.75);
        ASSERT_TRUE(std::fabs(light.position.x) < 1.5 && std::fabs(light.position.y) < 1.2);
    }
    EXPECT_GT(goals, 3) << "the damped spring must bring the light to its goals";
}
