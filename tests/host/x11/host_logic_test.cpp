// The host's pure logic: its options and the pointer-travel closing rule.
#include "host/x11/command_line.h"
#include "host/x11/mouse_travel.h"

#include <gtest/gtest.h>

namespace {
HostOptions accepted(const std::vector<std::string>& args) {
    auto parsed = parseHostCommandLine(args);
    EXPECT_TRUE(parsed.options) << parsed.error;
    return parsed.options.value_or(HostOptions{});
}
} // namespace

TEST(HostCommandLine, ReadsModesWithOneOrTwoDashesSizesAndIgnoresStandardHackFlags) {
    HostOptions defaults = accepted({});
    EXPECT_EQ(defaults.mode, HostMode::Window);
    EXPECT_EQ(std::pair(defaults.width, defaults.height), std::pair(1024, 768));
    EXPECT_FALSE(defaults.fps);
    EXPECT_TRUE(defaults.display.empty());
    HostOptions byId = accepted({"-window-id", "0x2a00007"});
    EXPECT_EQ(byId.mode, HostMode::WindowId);
    EXPECT_EQ(byId.windowId, 0x2a00007UL);
    EXPECT_EQ(accepted({"-root"}).mode, HostMode::Root);
    EXPECT_EQ(accepted({"--fullscreen"}).mode, HostMode::FullScreen);
    EXPECT_EQ(accepted({"--help", "--bogus"}).mode, HostMode::Help);
    EXPECT_EQ(accepted({"-version"}).mode, HostMode::Version);
    EXPECT_EQ(accepted({"-root", "-install", "--noinstall", "-visual", "best", "--delay", "20000",
                        "-pair", "--mono"})
                  .mode,
              HostMode::Root);
    // The value of -visual is consumed, not taken for an option or a mode.
    EXPECT_EQ(accepted({"-visual", "-root"}).mode, HostMode::Window);
    EXPECT_EQ(accepted({"-display", ":7"}).display, ":7");
    EXPECT_TRUE(accepted({"-fps"}).fps);
    EXPECT_TRUE(accepted({"--no-fps", "--fps"}).fps);
    EXPECT_FALSE(accepted({"--fps", "-no-fps"}).fps);
}

TEST(HostCommandLine, ResolvesCombinedModesAsXScreenSaversToolsPassThem) {
    // The settings tool's preview: both, in either order; the explicit window wins.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--root", "--window-id", "0x204631"},
             {"-window-id", "0x204631", "-root"},
             {"-window", "-window-id", "0x204631", "-fullscreen"}}) {
        HostOptions options = accepted(args);
        EXPECT_EQ(options.mode, HostMode::WindowId) << args[0];
        EXPECT_EQ(options.windowId, 0x204631UL);
    }
    // Repeated values and the window/root/full-screen choice: the last counts.
    EXPECT_EQ(accepted({"-window-id", "0x10", "-window-id", "0x20"}).windowId, 0x20UL);
    EXPECT_EQ(accepted({"--root", "--fullscreen"}).mode, HostMode::FullScreen);
    EXPECT_EQ(accepted({"--fullscreen", "--root", "--root"}).mode, HostMode::Root);
    EXPECT_EQ(accepted({"--root", "-window"}).mode, HostMode::Window);
}

TEST(HostCommandLine, ReadsXGeometryWithSizeAndOptionalPosition) {
    HostOptions sized = accepted({"--geometry", "640x480"});
    EXPECT_EQ(std::pair(sized.width, sized.height), std::pair(640, 480));
    EXPECT_FALSE(sized.positioned);
    HostOptions placed = accepted({"-geometry", "800x600+10+20"});
    EXPECT_EQ(std::pair(placed.width, placed.height), std::pair(800, 600));
    EXPECT_TRUE(placed.positioned);
    EXPECT_EQ(std::pair(placed.x, placed.y), std::pair(10, 20));
    EXPECT_FALSE(placed.xFromRight || placed.yFromBottom);
    HostOptions corner = accepted({"-geometry", "=300X200-0-5"});
    EXPECT_EQ(std::pair(corner.width, corner.height), std::pair(300, 200));
    EXPECT_EQ(std::pair(corner.x, corner.y), std::pair(0, 5));
    EXPECT_TRUE(corner.xFromRight && corner.yFromBottom);
    // A later geometry without a position drops the earlier position.
    EXPECT_FALSE(accepted({"-geometry", "800x600+10+20", "-geometry", "640x480"}).positioned);
}

TEST(HostCommandLine, RejectsWhatItCannotHonour) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},
        {"root"},                            // not an option at all
        {"---root"},                         // three dashes
        {"--window-id"},                     // value missing
        {"--window-id", "0"},                // no such window
        {"--window-id", "12abc"},            // trailing garbage
        {"--window-id", "-5"},               // sign
        {"--window-id", "0x100000000"},      // beyond 32 bits
        {"--geometry", "640"},               // no height
        {"--geometry", "0x480"},             // empty window
        {"--geometry", "640x0+1+1"},         // empty window
        {"--geometry", "99999x480"},         // absurd
        {"--geometry", "16385x480"},         // absurd
        {"--geometry", "640x480x"},          // trailing garbage
        {"--geometry", "640x480+10"},        // half a position
        {"--geometry", "640x480+10+20+"},    // trailing garbage
        {"--geometry", "640x480+123456+0"},  // absurd position
        {"--geometry", "+10+10"},            // no size
        {"--delay"},                         // value missing
        {"--display"},                       // value missing
        {"--display", ""},                   // empty name
        {"--root", "--geometry", "640x480"}, // size of someone else's window
        {"--window-id", "0x10", "--geometry", "640x480"},
        {"--geometry", "640x480", "--fullscreen"}, // the screen has its own size
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
