#include "host/x11/mouse_travel.h"

#include <gtest/gtest.h>

TEST(MouseTravel, FourPixelsFromTheAnchorStayFiveClose) {
    MouseTravel travel;
    travel.setAnchor(100, 100);
    EXPECT_FALSE(travel.exceeded(104, 100));
    EXPECT_FALSE(travel.exceeded(102, 98)); // 2 + 2
    EXPECT_FALSE(travel.exceeded(96, 100));
    EXPECT_TRUE(travel.exceeded(103, 102)); // 3 + 2
}

TEST(MouseTravel, SmallMovesInOneDirectionAddUp) {
    MouseTravel travel;
    travel.setAnchor(10, 10);
    EXPECT_FALSE(travel.exceeded(12, 10));
    EXPECT_FALSE(travel.exceeded(14, 10));
    EXPECT_TRUE(travel.exceeded(16, 10));
}

TEST(MouseTravel, AnchorMovesOnlyWhenTheRuleFires) {
    MouseTravel travel;
    travel.setAnchor(0, 0);
    EXPECT_TRUE(travel.exceeded(0, 10));
    // Measured from (0, 10) now, not from the origin.
    EXPECT_FALSE(travel.exceeded(0, 14));
    EXPECT_TRUE(travel.exceeded(0, 15));
}

TEST(MouseTravel, FirstPositionBecomesTheAnchorWhenThereIsNone) {
    MouseTravel travel;
    EXPECT_FALSE(travel.hasAnchor());
    EXPECT_FALSE(travel.exceeded(500, 500));
    EXPECT_FALSE(travel.exceeded(504, 500));
    EXPECT_TRUE(travel.exceeded(505, 500));
}
