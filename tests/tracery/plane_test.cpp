#include "kernel/platform_thread.h"
#include "tests/tracery/random_replay.h"
#include "tracery/field_grid.h"
#include "tracery/random.h"

#include <gtest/gtest.h>

TEST(Random, ReproducesTheFifteenBitSequenceAndReachesBothEnds) {
    seedRandom(1);
    for (int value : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464})
        EXPECT_EQ(randomNext15(), value);
    // The state a draw leaves -> random01; bit 31 never reaches the output.
    const std::pair<std::uint32_t, double> draws[] = {
        {0u, 0.0}, {0x7FFF0000u, 1.0}, {0xFFFF0000u, 1.0}, {0x00010000u, 3.051850947599719e-05}};
    for (const auto& [state, value] : draws) {
        seedRandom(stateBefore(state));
        EXPECT_EQ(random01(), value) << std::hex << state;
    }
}

TEST(Random, EachThreadStartsAtStateOne) {
    seedRandom(12345);
    int firstOnOtherThread = 0;
    {
        NS_Platform::Thread other([](void* out) { *static_cast<int*>(out) = randomNext15(); },
                                  &firstOnOtherThread);
    }
    EXPECT_EQ(firstOnOtherThread, 41);
    EXPECT_EQ(drawsSince(12345, 0), 0) << "the other thread drew from this one's generator";
}

TEST(FieldGrid, ReadsCellsColumnMajorAndZeroOnOrOutsideTheBorder) {
    FieldGrid& grid = FieldGrid::shared();
    grid.clear();
    grid.set(0, 0, 1.0);
    EXPECT_EQ(fieldValueAt(-0.999, -0.749), 1.0);
    grid.clear();
    grid.set(49, 38, 1.0);
    EXPECT_EQ(fieldValueAt(0.9999, 0.7499), 1.0);
    // Every readable cell, probed at its middle, is the only one lit.
    grid.clear();
    for (int c = 0; c < FieldGrid::Columns; ++c)
        for (int r = 0; r < FieldGrid::Rows - 1; ++r) {
            grid.set(c, r, 1.0);
            const double x = -1.0 + (c + 0.5) / 25.0;
            const double y = -0.75 + (r + 0.5) / 26.0;
            ASSERT_EQ(fieldValueAt(x, y), 1.0) << c << ", " << r;
            ASSERT_EQ(fieldValueAt(x + 0.04, y) + fieldValueAt(x, y + 1.0 / 26.0), 0.0);
            grid.set(c, r, 0.0);
        }
    for (int c = 0; c < FieldGrid::Columns; ++c)
        for (int r = 0; r < FieldGrid::Rows; ++r)
            grid.set(c, r, 1.0);
    const double outside[][2] = {{-1, 0},   {1, 0},    {0, -0.75}, {0, 0.75},  {-1, -0.75},
                                 {1, 0.75}, {-1.5, 0}, {1e300, 0}, {0, -1e300}};
    for (const auto& p : outside)
        EXPECT_EQ(fieldValueAt(p[0], p[1]), 0.0) << p[0] << ", " << p[1];
    grid.clear();
}
