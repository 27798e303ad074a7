// Which scale a surface's buffer gets from the outputs it is on.
#include "host/wayland/output_scales.h"

#include <gtest/gtest.h>

TEST(OutputScales, TakesTheLargestScaleOfTheOutputsTheSurfaceIsOn) {
    OutputScales scales;
    scales.setScale(10, 1);
    scales.setScale(11, 2);
    scales.setScale(12, 3);
    EXPECT_EQ(scales.surfaceScale(), 1) << "on no output yet, without a preferred one";
    scales.enter(10);
    EXPECT_EQ(scales.surfaceScale(), 1);
    scales.enter(11);
    EXPECT_EQ(scales.surfaceScale(), 2) << "spanning a 1x and a 2x output";
    scales.leave(11);
    EXPECT_EQ(scales.surfaceScale(), 1);
    scales.enter(12);
    scales.setScale(12, 2);
    EXPECT_EQ(scales.surfaceScale(), 2) << "an output's scale changed while the surface is on it";
}

TEST(OutputScales, UsesThePreferredOutputUntilTheSurfaceEntersOne) {
    OutputScales scales;
    scales.setScale(5, 2);
    scales.setScale(6, 1);
    scales.setPreferred(5);
    EXPECT_EQ(scales.surfaceScale(), 2);
    scales.enter(6);
    EXPECT_EQ(scales.surfaceScale(), 1) << "where the surface really is wins";
    scales.leave(6);
    EXPECT_EQ(scales.surfaceScale(), 2);
    scales.setPreferred(99);
    EXPECT_EQ(scales.surfaceScale(), 1) << "a preferred output not announced counts as 1";
}

TEST(OutputScales, ForgetsRemovedOutputsAndNeverGoesBelowOne) {
    OutputScales scales;
    scales.setScale(1, 3);
    scales.setScale(2, 0);
    scales.setScale(3, -4);
    scales.enter(1);
    scales.enter(2);
    scales.enter(3);
    EXPECT_EQ(scales.surfaceScale(), 3);
    // An output unplugged while the surface is on it may send no leave first.
    scales.removeOutput(1);
    EXPECT_EQ(scales.surfaceScale(), 1) << "the bogus scales of the others count as 1";
    scales.enter(7); // entering an output whose scale never came
    EXPECT_EQ(scales.surfaceScale(), 1);
}
