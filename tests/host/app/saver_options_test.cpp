// The saver's options as the command line reads them: what to show and the
// X11 host's extras.
#include "host/app/command_line.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <tuple>

namespace {
std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}
ProgramOptions line(const std::string& args) {
    auto parsed = parseCommandLine(words(args));
    EXPECT_TRUE(parsed.options) << args << ": " << parsed.error;
    return parsed.options.value_or(ProgramOptions{});
}
X11Request accepted(const std::string& args) {
    return line(args).x11;
}
SaverRequest saver(const std::string& args) {
    return line(args).saver;
}
// What the line shows, in the words of its options.
std::string shown(const std::string& args) {
    const ProgramOptions options = line(args);
    switch (options.x11.drawable) {
    case X11Drawable::DaemonWindow:
        return "root";
    case X11Drawable::NamedWindow:
        return "window-id";
    case X11Drawable::OwnWindow:
        break;
    }
    return options.saver.shape == SaverShape::FullScreen ? "fullscreen" : "window";
}
} // namespace

TEST(SaverCommandLine,
     ReadsModesWithOneOrTwoDashesAndResolvesCombinedModesAsXScreenSaverPassesThem) {
    // The first --help or --version ends the line, in any spelling.
    for (const char* only : {"--help --bogus", "-h --bogus", "--h", "-help"})
        EXPECT_TRUE(line(only).help) << only;
    EXPECT_TRUE(line("-version --bogus").version);
    const std::pair<const char*, const char*> cases[] = {
        {"", "window"},
        {"-root", "root"},
        {"--fullscreen", "fullscreen"},
        // Standard hack flags are ignored; the value of -visual is consumed.
        {"-root -install --noinstall -visual best --delay 20000 -pair --mono", "root"},
        {"-visual -root", "window"},
        // The settings tool's preview: both, in either order; the explicit window wins.
        {"--root --window-id 0x204631", "window-id"},
        {"-window-id 0x204631 -root", "window-id"},
        {"-window -window-id 0x204631 -fullscreen", "window-id"},
        // Otherwise the last of window, root and full screen counts.
        {"--root --fullscreen", "fullscreen"},
        {"--fullscreen --root --root", "root"},
        {"--root -window", "window"},
    };
    for (const auto& [args, mode] : cases)
        EXPECT_EQ(shown(args), mode) << args;
    EXPECT_EQ(accepted("--root --window-id 0x204631").windowId, 0x204631UL);
    EXPECT_EQ(accepted("-window-id 0x10 -window-id 0x20").windowId, 0x20UL);
    EXPECT_EQ(accepted("-display :7").display, ":7");
    EXPECT_TRUE(saver("-fps").fps);
    EXPECT_TRUE(saver("--no-fps --fps").fps);
    EXPECT_FALSE(saver("--fps -no-fps").fps);
}

TEST(SaverCommandLine, ReadsXGeometryWithSizeAndOptionalPosition) {
    auto geometry = [](const std::string& args) {
        const ProgramOptions o = line(args);
        const X11Placement& p = o.x11.placement;
        return std::tuple(o.saver.width, o.saver.height, p.positioned, p.x, p.y, p.xFromRight,
                          p.yFromBottom);
    };
    EXPECT_EQ(geometry("--geometry 640x480"), std::tuple(640, 480, false, 0, 0, false, false));
    EXPECT_EQ(geometry("-geometry 800x600+10+20"),
              std::tuple(800, 600, true, 10, 20, false, false));
    EXPECT_EQ(geometry("-geometry =300X200-0-5"), std::tuple(300, 200, true, 0, 5, true, true));
    // A later geometry without a position drops the earlier position.
    EXPECT_FALSE(accepted("-geometry 800x600+10+20 -geometry 640x480").placement.positioned);
}

TEST(SaverCommandLine, RejectsWhatItCannotHonour) {
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
        auto parsed = parseCommandLine(args);
        EXPECT_FALSE(parsed.options) << args[0] << (args.size() > 1 ? " " + args[1] : "");
        EXPECT_FALSE(parsed.error.empty());
    }
}
