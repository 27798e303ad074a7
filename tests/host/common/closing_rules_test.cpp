#include "host/common/closing_rules.h"

#include <gtest/gtest.h>

TEST(ClosingRules, PointerTravelClosesBeyondFourPixelsFromAnAnchorThatMovesOnlyWhenItCloses) {
    ClosingRules rules;
    EXPECT_FALSE(rules.pointerAt(0, 0));  // the first position becomes the anchor
    EXPECT_FALSE(rules.pointerAt(-2, 2)); // 2 + 2
    EXPECT_TRUE(rules.pointerAt(3, 2));   // 3 + 2
    EXPECT_EQ(rules.cause(), ClosingRules::Cause::PointerTravel);
    // Measured from (3, 2) now, not from the origin; a refused close leaves
    // the rules watching.
    EXPECT_FALSE(rules.pointerAt(3, 6));
    EXPECT_TRUE(rules.pointerAt(3, 7));
    rules.anchorPointer(100, 100);
    EXPECT_FALSE(rules.pointerAt(96, 100));
    EXPECT_TRUE(rules.pointerAt(105, 100));
    // Small moves in one direction add up.
    ClosingRules creeping;
    creeping.anchorPointer(0, 0);
    EXPECT_FALSE(creeping.pointerAt(2, 0));
    EXPECT_FALSE(creeping.pointerAt(4, 0));
    EXPECT_TRUE(creeping.pointerAt(6, 0));
}

TEST(ClosingRules, ASurfaceConfiguredUnderTheStillPointerReAnchorsInsteadOfClosing) {
    // A compositor places and resizes a new window after the pointer entered
    // it: the pointer has not moved, but its surface coordinates jump.
    ClosingRules rules;
    EXPECT_FALSE(rules.pointerAt(500, 400)); // entered here
    rules.surfaceMoved();
    EXPECT_FALSE(rules.pointerAt(180, 95)); // the same spot, moved window: a nudge
    EXPECT_FALSE(rules.closed());
    EXPECT_EQ(rules.anchor(), std::make_pair(180, 95));
    // Real travel after that still closes.
    EXPECT_FALSE(rules.pointerAt(182, 96));
    EXPECT_TRUE(rules.pointerAt(186, 96));
}

TEST(ClosingRules, KeysButtonsAndTouchesCloseOnlyASaverThatWatchesInput) {
    for (bool watches : {true, false}) {
        ClosingRules rules(watches);
        EXPECT_EQ(rules.keyPressed(), watches);
        EXPECT_EQ(rules.buttonPressed(), watches);
        EXPECT_EQ(rules.touched(), watches);
        rules.anchorPointer(0, 0);
        EXPECT_EQ(rules.pointerAt(50, 50), watches);
        EXPECT_EQ(rules.closed(), watches);
    }
    ClosingRules hack(false);
    EXPECT_TRUE(hack.windowCloseRequested());
    EXPECT_EQ(hack.cause(), ClosingRules::Cause::WindowClosed);
    ClosingRules signalled(false);
    EXPECT_TRUE(signalled.signalled());
    EXPECT_EQ(signalled.cause(), ClosingRules::Cause::Signal);
}

TEST(ClosingRules, TheFirstCauseIsKeptAndCorruptCoordinatesDoNotOverflow) {
    ClosingRules rules;
    EXPECT_TRUE(rules.signalled());
    EXPECT_TRUE(rules.keyPressed());
    EXPECT_EQ(rules.cause(), ClosingRules::Cause::Signal);

    ClosingRules extreme;
    extreme.anchorPointer(-2147483647 - 1, -2147483647 - 1);
    EXPECT_TRUE(extreme.pointerAt(2147483647, 2147483647));
    EXPECT_FALSE(extreme.pointerAt(2147483647, 2147483647));
}
