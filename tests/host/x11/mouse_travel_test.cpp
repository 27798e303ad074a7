#include "host/x11/mouse_travel.h"

#include <gtest/gtest.h>

TEST(MouseTravel, FourPixelsFromTheAnchorStayFiveCloseAndSmallMovesAddUp) {
    MouseTravel travel;
    travel.setAnchor(100, 100);
    EXPECT_FALSE(travel.exceeded(104, 100));
    EXPECT_FALSE(travel.exceeded(102, 98)); // 2 + 2
    EXPECT_FALSE(travel.exceeded(96, 100));
    EXPECT_TRUE(travel.exceeded(103, 102)); // 3 + 2

    travel.setAnchor(10, 10);
    EXPECT_FALSE(travel.exceeded(12, 10));
    EXPECT_FALSE(travel.exceeded(14, 10));
    EXPECT_TRUE(travel.exceeded(16, 10));
}

TEST(MouseTravel, AnchorMovesOnlyWhenTheRuleFiresAndStartsAtTheFirstPositionIfUnknown) {
    MouseTravel travel;
    EXPECT_FALSE(travel.exceeded(0, 0)); // becomes the anchor
    EXPECT_TRUE(travel.exceeded(0, 10));
    // Measured from (0, 10) now, not from the origin.
    EXPECT_FALSE(travel.exceeded(0, 14));
    EXPECT_TRUE(travel.exceeded(0, 15));
}
