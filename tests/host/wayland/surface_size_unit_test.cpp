// The size a surface is drawn at, in logical and buffer pixels.
#include "host/wayland/surface_size.h"

#include <gtest/gtest.h>

TEST(SurfaceSize, FollowsTheConfigureAndFallsBackPerSideWhereItLeavesTheSizeToTheClient) {
    EXPECT_EQ(chooseSurfaceSize(800, 600, 1024, 768, 1), (SurfaceSize{800, 600, 1}));
    EXPECT_EQ(chooseSurfaceSize(0, 0, 1024, 768, 1), (SurfaceSize{1024, 768, 1}));
    EXPECT_EQ(chooseSurfaceSize(0, 500, 1024, 768, 1), (SurfaceSize{1024, 500, 1}));
    EXPECT_EQ(chooseSurfaceSize(-3, 500, 1024, 768, 1), (SurfaceSize{1024, 500, 1}));
    EXPECT_EQ(chooseSurfaceSize(0, 0, 0, -5, 1), (SurfaceSize{1, 1, 1})) << "never an empty buffer";
}

TEST(SurfaceSize, ABufferAtScaleTwoHasTwiceTheLogicalSizeEachWay) {
    const SurfaceSize size = chooseSurfaceSize(640, 400, 1024, 768, 2);
    EXPECT_EQ(size.bufferWidth(), 1280);
    EXPECT_EQ(size.bufferHeight(), 800);
    EXPECT_EQ(chooseSurfaceSize(640, 400, 1024, 768, 0).scale, 1);
}

TEST(SurfaceSize, KeepsTheBufferWithinTheLimitAndAWholeMultipleOfTheScale) {
    SurfaceSize size = chooseSurfaceSize(10000, 100, 1024, 768, 2);
    EXPECT_EQ(size.scale, 1) << "20000 pixels would pass the limit";
    EXPECT_LE(size.bufferWidth(), maxBufferSide);
    size = chooseSurfaceSize(5000, 100, 1024, 768, 4);
    EXPECT_EQ(size.scale, 3);
    EXPECT_EQ(size.bufferWidth() % size.scale, 0);
    size = chooseSurfaceSize(1 << 30, 1 << 30, 1024, 768, 1 << 30);
    EXPECT_EQ(size, (SurfaceSize{maxBufferSide, maxBufferSide, 1})) << "no overflow";
    EXPECT_EQ(chooseSurfaceSize(100, 100, 1024, 768, 1000).scale, 16);
}

TEST(SurfaceSize, AnOutputsLogicalSideIsRoundedUpSoTheFullScreenCoversIt) {
    EXPECT_EQ(logicalSide(1920, 1), 1920);
    EXPECT_EQ(logicalSide(2560, 2), 1280);
    EXPECT_EQ(logicalSide(1081, 2), 541);
    EXPECT_EQ(logicalSide(1080, 0), 1080);
    EXPECT_EQ(logicalSide(0, 2), 0) << "unknown stays unknown";
}
