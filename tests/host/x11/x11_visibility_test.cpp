// GoogleTest first: X.h defines names (None) that its templates use.
#include <gtest/gtest.h>

#include "host/x11/x11_visibility.h"

#include <X11/X.h>

TEST(X11Visibility, FramesAreWantedUnlessTheWindowIsFullyObscuredOrTheDisplayIsNotOn) {
    X11Visibility visibility;
    EXPECT_TRUE(visibility.frameWanted()) << "seen until the server says otherwise";
    visibility.windowVisibility(VisibilityPartiallyObscured);
    EXPECT_TRUE(visibility.frameWanted());
    visibility.windowVisibility(VisibilityFullyObscured);
    EXPECT_FALSE(visibility.frameWanted());
    visibility.windowVisibility(VisibilityUnobscured);
    EXPECT_TRUE(visibility.frameWanted());

    for (X11Visibility::Power level : {X11Visibility::Power::Standby, X11Visibility::Power::Suspend,
                                       X11Visibility::Power::Off}) {
        visibility.displayPower(true, static_cast<int>(level));
        EXPECT_FALSE(visibility.frameWanted()) << static_cast<int>(level);
    }
    // DPMS switched off by the user: the level it reports means nothing.
    visibility.displayPower(false, static_cast<int>(X11Visibility::Power::Off));
    EXPECT_TRUE(visibility.frameWanted());
    visibility.displayPower(true, static_cast<int>(X11Visibility::Power::On));
    EXPECT_TRUE(visibility.frameWanted());
    // Both reasons hold on their own: waking the display does not show a
    // covered window.
    visibility.windowVisibility(VisibilityFullyObscured);
    visibility.displayPower(true, static_cast<int>(X11Visibility::Power::Off));
    visibility.displayPower(true, static_cast<int>(X11Visibility::Power::On));
    EXPECT_FALSE(visibility.frameWanted());
}
