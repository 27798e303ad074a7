#include "host/wayland/pointer_travel.h"

#include "host/common/closing_rules.h"

#include <gtest/gtest.h>

// Mutter places a new window after the pointer entered it and says nothing;
// the next nudge comes as surface coordinates far from the entry, with a
// 1-pixel relative motion beside them.
TEST(PointerTravel, ASurfaceMovedSilentlyUnderAStillPointerIsNoTravelWhereRelativeMotionExists) {
    for (bool relativeFirst : {false, true}) {
        ClosingRules rules;
        PointerTravel travel(rules);
        travel.at(332, 364); // the entry
        travel.endOfBatch();
        if (relativeFirst)
            travel.movedBy(1, 0);
        travel.at(327, 302);
        if (!relativeFirst)
            travel.movedBy(1, 0);
        travel.endOfBatch();
        EXPECT_FALSE(rules.closed()) << "relative first: " << relativeFirst;
        travel.movedBy(3, 0); // 4 from where the nudge started
        travel.endOfBatch();
        EXPECT_FALSE(rules.closed());
        travel.movedBy(1, 0);
        travel.endOfBatch();
        EXPECT_TRUE(rules.closed());
    }
}

TEST(PointerTravel, WithoutRelativeMotionSurfacePositionsCountAndAConfigureReAnchorsThem) {
    ClosingRules rules;
    PointerTravel travel(rules);
    travel.at(640, 512);
    travel.endOfBatch();
    travel.at(642, 510); // 2 + 2
    travel.endOfBatch();
    travel.at(644, 512); // 4 + 0
    travel.endOfBatch();
    EXPECT_FALSE(rules.closed());
    // The window was resized and moved: the same spot has new coordinates.
    travel.surfaceConfigured();
    travel.at(180, 95);
    travel.endOfBatch();
    EXPECT_FALSE(rules.closed());
    travel.at(185, 95);
    travel.endOfBatch();
    EXPECT_TRUE(rules.closed());
}

TEST(PointerTravel, ChangingBetweenRelativeAndSurfaceMotionReAnchorsInsteadOfClosing) {
    ClosingRules rules;
    PointerTravel travel(rules);
    travel.at(10, 10);
    travel.movedBy(3, 0); // a mouse
    travel.endOfBatch();
    travel.at(900, 700); // then a tablet, in surface coordinates only
    travel.endOfBatch();
    EXPECT_FALSE(rules.closed());
    travel.movedBy(2, 2); // the mouse again
    travel.endOfBatch();
    EXPECT_FALSE(rules.closed());
    travel.movedBy(0, 1);
    travel.endOfBatch();
    EXPECT_TRUE(rules.closed()) << "5 pixels of relative travel since it came back";
    // A configure changes nothing in relative space.
    ClosingRules relative;
    PointerTravel mouse(relative);
    mouse.movedBy(2, 0);
    mouse.surfaceConfigured();
    mouse.movedBy(3, 0);
    EXPECT_TRUE(relative.closed());
}
