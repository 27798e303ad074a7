#include "kernel/platform_thread.h"
#include "tests/tracery/random_replay.h"
#include "tracery/field_grid.h"
#include "tracery/random.h"
#include "tracery/vector2d.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

class FieldGridTest : public ::testing::Test {
protected:
    void SetUp() override { FieldGrid::shared().clear(); }
    void TearDown() override { FieldGrid::shared().clear(); }
};

} // namespace

TEST(Random, ProducesTheReferenceSequenceFromStateOne) {
    seedRandom(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected)
        EXPECT_EQ(randomNext15(), value);
    // The state itself follows s * 214013 + 2531011, wrapping at 2^32.
    seedRandom(0xFFFFFFFFu);
    randomNext15();
    EXPECT_EQ(randomState(), 0xFFFFFFFFu * 214013u + 2531011u);
}

TEST(Random, Random01IsTheOutputOver32767AndReachesBothEnds) {
    seedRandom(stateBefore(0u));
    EXPECT_EQ(random01(), 0.0);
    seedRandom(stateBefore(0x7FFF0000u));
    EXPECT_EQ(random01(), 1.0);
    // Bit 31 of the state is not part of the output: the range stays 15 bits.
    seedRandom(stateBefore(0xFFFF0000u));
    EXPECT_EQ(random01(), 1.0);
    seedRandom(stateBefore(0x00010000u));
    EXPECT_EQ(random01(), 1.0 / 32767.0);
    EXPECT_EQ(1.0 / 32767.0, 3.051850947599719e-05);
}

TEST(Random, StateBelongsToTheThreadAndStartsAtOne) {
    seedRandom(12345);
    struct Seen {
        std::uint32_t state = 0;
        int first = 0;
    } seen;
    {
        NS_Platform::Thread other(
            [](void* argument) {
                auto* out = static_cast<Seen*>(argument);
                out->state = randomState();
                out->first = randomNext15();
            },
            &seen);
    } // joined here
    EXPECT_EQ(seen.state, 1u);
    EXPECT_EQ(seen.first, 41);
    EXPECT_EQ(randomState(), 12345u);
}

TEST(Vector2D, ArithmeticAndLength) {
    EXPECT_EQ(Vector2D(3, 4).length(), 5.0);
    EXPECT_EQ(Vector2D().length(), 0.0);
    Vector2D a(1, 2);
    const Vector2D b(0.5, -4);
    EXPECT_EQ(a + b, Vector2D(1.5, -2));
    EXPECT_EQ(a - b, Vector2D(0.5, 6));
    EXPECT_EQ(a * 3.0, Vector2D(3, 6));
    a += b;
    a *= 2.0;
    EXPECT_EQ(a, Vector2D(3, -4));
    a.clear();
    EXPECT_EQ(a, Vector2D(0, 0));
}

TEST_F(FieldGridTest, ReadsZeroOnTheBorderAndOutsideEvenWhenAllIsLit) {
    EXPECT_EQ(fieldValueAt(0.1, 0.1), 0.0);
    for (int c = 0; c < FieldGrid::Columns; ++c)
        for (int r = 0; r < FieldGrid::Rows; ++r)
            FieldGrid::shared().set(c, r, 1.0);
    EXPECT_EQ(fieldValueAt(0.1, 0.1), 1.0);
    const double border[][2] = {{-1, 0},     {1, 0},    {0, -0.75}, {0, 0.75},
                                {-1, -0.75}, {1, 0.75}, {-1, 0.75}, {1, -0.75},
                                {-1.5, 0},   {0, 2},    {1e300, 0}, {0, -1e300}};
    for (const auto& p : border)
        EXPECT_EQ(fieldValueAt(p[0], p[1]), 0.0) << p[0] << ", " << p[1];
}

TEST_F(FieldGridTest, MapsPointsToColumnMajorCells) {
    FieldGrid& grid = FieldGrid::shared();
    // Corners of the rectangle reach the first and last readable cells.
    grid.set(0, 0, 1.0);
    EXPECT_EQ(fieldValueAt(-0.999, -0.749), 1.0);
    grid.clear();
    grid.set(49, 38, 1.0);
    EXPECT_EQ(fieldValueAt(0.9999, 0.7499), 1.0);
    grid.clear();

    // Every readable cell, probed at its middle, is the only one that reads lit.
    for (int c = 0; c < FieldGrid::Columns; ++c)
        for (int r = 0; r < FieldGrid::Rows - 1; ++r) {
            grid.set(c, r, 1.0);
            const double x = -1.0 + (c + 0.5) / 25.0;
            const double y = -0.75 + (r + 0.5) / 26.0;
            ASSERT_EQ(fieldValueAt(x, y), 1.0) << c << ", " << r;
            ASSERT_EQ(fieldValueAt(x + 0.04, y), 0.0) << c << ", " << r;
            ASSERT_EQ(fieldValueAt(x, y + 1.0 / 26.0), 0.0) << c << ", " << r;
            grid.set(c, r, 0.0);
        }
}
