#include "host/x11/command_line.h"

#include <gtest/gtest.h>

namespace {
ParsedCommandLine parse(std::vector<std::string> args) {
    return parseHostCommandLine(args);
}
} // namespace

TEST(HostCommandLine, DefaultsToA1024By768Window) {
    auto parsed = parse({});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->mode, HostMode::Window);
    EXPECT_EQ(parsed.options->width, 1024);
    EXPECT_EQ(parsed.options->height, 768);
}

TEST(HostCommandLine, AcceptsModesWithOneOrTwoDashes) {
    for (std::string dashes : {"-", "--"}) {
        EXPECT_EQ(parse({dashes + "root"}).options->mode, HostMode::Root) << dashes;
        EXPECT_EQ(parse({dashes + "fullscreen"}).options->mode, HostMode::FullScreen) << dashes;
        auto byId = parse({dashes + "window-id", "0x2a00007"});
        ASSERT_TRUE(byId.options) << dashes;
        EXPECT_EQ(byId.options->mode, HostMode::WindowId);
        EXPECT_EQ(byId.options->windowId, 0x2a00007UL);
        EXPECT_EQ(parse({dashes + "help"}).options->mode, HostMode::Help);
        EXPECT_EQ(parse({dashes + "help", "--bogus"}).options->mode, HostMode::Help);
        EXPECT_EQ(parse({dashes + "version"}).options->mode, HostMode::Version);
    }
}

TEST(HostCommandLine, IgnoresStandardHackFlagsAndTheirValues) {
    auto parsed = parse({"-root", "-install", "--noinstall", "-visual", "best", "--delay", "20000",
                         "-fps", "--no-fps", "-pair", "--mono"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->mode, HostMode::Root);
    // The value of -visual is consumed, not taken for an option or a mode.
    EXPECT_TRUE(parse({"-visual", "-root"}).options);
}

TEST(HostCommandLine, GeometrySetsTheWindowSize) {
    auto parsed = parse({"--geometry", "640x480"});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->width, 640);
    EXPECT_EQ(parsed.options->height, 480);
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
        auto parsed = parse(args);
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
