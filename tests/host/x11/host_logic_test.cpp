// The host's pure logic: its options and the pointer-travel closing rule.
#include "host/x11/command_line.h"
#include "host/linux/mouse_travel.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <tuple>

namespace {
std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}
HostOptions accepted(const std::string& args) {
    auto parsed = parseHostCommandLine(words(args));
    EXPECT_TRUE(parsed.options) << args << ": " << parsed.error;
    return parsed.options.value_or(HostOptions{});
}
} // namespace

TEST(HostCommandLine,
     ReadsModesWithOneOrTwoDashesAndResolvesCombinedModesAsXScreenSaverPassesThem) {
    const std::pair<const char*, HostMode> cases[] = {
        {"", HostMode::Window},
        {"-root", HostMode::Root},
        {"--fullscreen", HostMode::FullScreen},
        {"--help --bogus", HostMode::Help},
        {"-version", HostMode::Version},
        // Standard hack flags are ignored; the value of -visual is consumed.
        {"-root -install --noinstall -visual best --delay 20000 -pair --mono", HostMode::Root},
        {"-visual -root", HostMode::Window},
        // The settings tool's preview: both, in either order; the explicit window wins.
        {"--root --window-id 0x204631", HostMode::WindowId},
        {"-window-id 0x204631 -root", HostMode::WindowId},
        {"-window -window-id 0x204631 -fullscreen", HostMode::WindowId},
        // Otherwise the last of window, root and full screen counts.
        {"--root --fullscreen", HostMode::FullScreen},
        {"--fullscreen --root --root", HostMode::Root},
        {"--root -window", HostMode::Window},
    };
    for (const auto& [args, mode] : cases)
        EXPECT_EQ(accepted(args).mode, mode) << args;
    EXPECT_EQ(accepted("--root --window-id 0x204631").windowId, 0x204631UL);
    EXPECT_EQ(accepted("-window-id 0x10 -window-id 0x20").windowId, 0x20UL);
    EXPECT_EQ(accepted("-display :7").display, ":7");
    EXPECT_TRUE(accepted("-fps").fps);
    EXPECT_TRUE(accepted("--no-fps --fps").fps);
    EXPECT_FALSE(accepted("--fps -no-fps").fps);
}

TEST(HostCommandLine, ReadsXGeometryWithSizeAndOptionalPosition) {
    auto geometry = [](const std::string& args) {
        HostOptions o = accepted(args);
        return std::tuple(o.width, o.height, o.positioned, o.x, o.y, o.xFromRight, o.yFromBottom);
    };
    EXPECT_EQ(geometry("--geometry 640x480"), std::tuple(640, 480, false, 0, 0, false, false));
    EXPECT_EQ(geometry("-geometry 800x600+10+20"),
              std::tuple(800, 600, true, 10, 20, false, false));
    EXPECT_EQ(geometry("-geometry =300X200-0-5"), std::tuple(300, 200, true, 0, 5, true, true));
    // A later geometry without a position drops the earlier position.
    EXPECT_FALSE(accepted("-geometry 800x600+10+20 -geometry 640x480").positioned);
}

TEST(HostCommandLine, RejectsWhatItCannotHonour) {
    std::vector<std::vector<std::string>> bad = {{"--display", ""}}; // empty name
    for (const char* args :
         {"--bogus", "root", "---root",                           // not options
          "--window-id", "--delay", "--display", "--window-id 0", // value missing or invalid
          "--geometry 640", "--geometry 0x480", "--geometry 640x0+1+1", "--geometry 16385x480",
          "--geometry 640x480x", "--geometry 640x480+10", "--geometry 640x480+10+20+",
          "--geometry 640x480+123456+0", "--geometry +10+10",
          // A size for someone else's window, or for the screen.
          "--root --geometry 640x480", "--window-id 0x10 --geometry 640x480",
          "--geometry 640x480 --fullscreen"})
        bad.push_back(words(args));
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
    for (const char* bad : {"", "  ", "0x", "0", "0x0", "+5", "-5", "4294967296", "0x100000000",
                            "0x1g", "12abc", "1 2", "x10"})
        EXPECT_FALSE(parseWindowId(bad)) << '"' << bad << '"';
}

TEST(MouseTravel, ClosesBeyondFourPixelsFromAnAnchorThatMovesOnlyWhenTheRuleFires) {
    MouseTravel travel;
    EXPECT_FALSE(travel.exceeded(0, 0));  // the first position becomes the anchor
    EXPECT_FALSE(travel.exceeded(-2, 2)); // 2 + 2
    EXPECT_TRUE(travel.exceeded(3, 2));   // 3 + 2
    // Measured from (3, 2) now, not from the origin.
    EXPECT_FALSE(travel.exceeded(3, 6));
    EXPECT_TRUE(travel.exceeded(3, 7));
    travel.setAnchor(100, 100);
    EXPECT_FALSE(travel.exceeded(96, 100));
    EXPECT_TRUE(travel.exceeded(105, 100));
}
