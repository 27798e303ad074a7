// The X window id as XScreenSaver writes it, on the command line and in
// $XSCREENSAVER_WINDOW.
#include "host/x11/x11_request.h"

#include <gtest/gtest.h>

TEST(WindowId, ReadsHexAndDecimalAsXScreenSaverWritesThem) {
    EXPECT_EQ(parseWindowId("0x1e00007"), 0x1e00007UL);
    EXPECT_EQ(parseWindowId("0X1E00007"), 0x1e00007UL);
    EXPECT_EQ(parseWindowId("31457287"), 31457287UL);
    EXPECT_EQ(parseWindowId(" 42\n"), 42UL);
    EXPECT_EQ(parseWindowId("4294967295"), 4294967295UL);
    for (const char* bad : {"", "  ", "0x", "0", "0x0", "+5", "-5", "4294967296", "0x100000000",
                            "0x1g", "12abc", "1 2", "x10"})
        EXPECT_FALSE(parseWindowId(bad)) << '"' << bad << '"';
}
