// The host's pure logic: its options and the pointer-travel closing rule.
#include "host/x11/command_line.h"
#include "host/x11/mouse_travel.h"

#include <gtest/gtest.h>

TEST(HostCommandLine, ReadsModesWithOneOrTwoDashesSizesAndIgnoresStandardHackFlags) {
    auto ok = [](std::vector<std::string> args) {
        auto parsed = parseHostCommandLine(args);
        EXPECT_TRUE(parsed.options) << parsed.error;
        return parsed.options.value_or(HostOptions{HostMode::Help, 0, 0, 0});
    };
    HostOptions defaults = ok({});
    EXPECT_EQ(defaults.mode, HostMode::Window);
    EXPECT_EQ(std::pair(defaults.width, defaults.height), std::pair(1024, 768));
    HostOptions sized = ok({"--geometry", "640x480"});
    EXPECT_EQ(std::pair(sized.width, sized.height), std::pair(640, 480));
    HostOptions byId = ok({"-window-id", "0x2a00007"});
    EXPECT_EQ(byId.mode, HostMode::WindowId);
    EXPECT_EQ(byId.windowId, 0x2a00007UL);
    EXPECT_EQ(ok({"-root"}).mode, HostMode::Root);
    EXPECT_EQ(ok({"--fullscreen"}).mode, HostMode::FullScreen);
    EXPECT_EQ(ok({"--help", "--bogus"}).mode, HostMode::Help);
    EXPECT_EQ(ok({"-version"}).mode, HostMode::Version);
    EXPECT_EQ(ok({"-root", "-install", "--noinstall", "-visual", "best", "--delay", "20000", "-fps",
                  "--no-fps", "-pair", "--mono"})
                  .mode,
              HostMode::Root);
    // The value of -visual is consumed, not taken for an option or a mode.
    EXPECT_EQ(ok({"-visual", "-root"}).mode, HostMode::Window);
}

TEST(HostCommandLine, RejectsWhatItCannotHonour) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},
        {"root"},                           // not an option at all
        {"---root"},                        // three dashes
        {"--window-id"},                    // value missing
        {"--window-id", "0"},               // no such window
        {"--window-id", "12abc"},           // trailing garbage
        {"--window-id", "-5"},              // sign
        {"--window-id", "0x100000000"},     // beyond 32 bits
        {"--geometry", "640"},              // no height
        {"--geometry", "0x480"},            // empty window
        {"--geometry", "99999x480"},        // absurd
        {"--geometry", "640x480x"},         // trailing garbage
        {"--delay"},                        // value missing
        {"--root", "--fullscreen"},         // two modes
        {"--root", "--window-id", "0x10"},  // two modes
        {"--root", "--geometry", "640x480"} // size of someone else's window
    };
    for (const auto& args : bad) {
        auto parsed = parseHostCommandLine(args);
        EXPECT_FALSE(parsed.options) << args[0] << (args.size() > 1 ? " " + args[1] : "");
        EXPECT_FALSE(parsed.error.empty());
    }
}

TEST(WindowId, ReadsHexAndDecimalAsXScreenSaverWritesThem) {
    EXPECT_EQ(parseWindowId("0x1e00007"), 0x1e00007UL);
    EXPECT_EQ(parseWindowId("0X1E00007"), 0x1e00007UL);
    EXPECT_EQ(parseWindowId("31457287"), 31457287UL);
    EXPECT_EQ(parseWindowId(" 42\n"), 42UL);
    EXPECT_EQ(parseWindowId("4294967295"), 4294967295UL);
    for (const char* bad : {"", "  ", "0x", "0", "0x0", "+5", "4294967296", "0x1g", "1 2", "x10"})
        EXPECT_FALSE(parseWindowId(bad)) << '"' << bad << '"';
}

TEST(MouseTravel, ClosesBeyondFourPixelsFromAnAnchorThatMovesOnlyWhenTheRuleFires) {
    MouseTravel travel;
    EXPECT_FALSE(travel.exceeded(0, 0)); // the first position becomes the anchor
    EXPECT_TRUE(travel.exceeded(0, 10));
    // Measured from (0, 10) now, not from the origin.
    EXPECT_FALSE(travel.exceeded(0, 14));
    EXPECT_TRUE(travel.exceeded(0, 15));

    travel.setAnchor(100, 100);
    EXPECT_FALSE(travel.exceeded(104, 100));
    EXPECT_FALSE(travel.exceeded(102, 98)); // 2 + 2
    EXPECT_FALSE(travel.exceeded(96, 100));
    EXPECT_TRUE(travel.exceeded(103, 102)); // 3 + 2
}
