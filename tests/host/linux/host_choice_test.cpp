#include "host/linux/command_line.h"
#include "host/linux/host_choice.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace {
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

struct Outcome {
    InteractiveHost host;
    bool refused;
    int probes; // how often the compositor was asked
};

Outcome choose(const std::string& line, bool compositor) {
    const ParsedCommandLine parsed = parseCommandLine(words(line));
    EXPECT_TRUE(parsed.options) << line << ": " << parsed.error;
    const ProgramOptions options = parsed.options.value_or(ProgramOptions{});
    int probes = 0;
    const HostChoice choice = chooseInteractiveHost(options.host, options.x11, [&] {
        ++probes;
        return compositor;
    });
    return {choice.host, !choice.error.empty(), probes};
}
} // namespace

TEST(HostChoice, WaylandWhenACompositorAnswersForAWindowOrFullScreenElseX11) {
    for (const char* line : {"", "--fullscreen", "--geometry 640x480+10+10", "--fps"}) {
        const Outcome with = choose(line, true);
        EXPECT_TRUE(with.host == InteractiveHost::Wayland && !with.refused) << line;
        const Outcome without = choose(line, false);
        EXPECT_TRUE(without.host == InteractiveHost::X11 && !without.refused) << line;
    }
    // What only X11 can do never asks the compositor, which costs a connection.
    for (const char* line :
         {"--root", "--window-id 0x20", "--display :3", "-root --fullscreen -root"}) {
        const Outcome outcome = choose(line, true);
        EXPECT_TRUE(outcome.host == InteractiveHost::X11 && !outcome.refused) << line;
        EXPECT_EQ(outcome.probes, 0) << line;
    }
}

TEST(HostChoice, ForcedHostsWinWithoutAskingAndTheLastOneCounts) {
    const Outcome x11 = choose("--x11", true);
    EXPECT_TRUE(x11.host == InteractiveHost::X11 && !x11.refused && x11.probes == 0);
    const Outcome wayland = choose("--wayland --fullscreen", false);
    EXPECT_TRUE(wayland.host == InteractiveHost::Wayland && !wayland.refused);
    EXPECT_EQ(wayland.probes, 0) << "a forced Wayland host reports its own missing compositor";
    EXPECT_EQ(choose("--wayland -x11", true).host, InteractiveHost::X11);
    EXPECT_EQ(choose("-x11 --wayland", false).host, InteractiveHost::Wayland);
    // The X11-only modes and an X display cannot be drawn by Wayland.
    for (const char* line : {"--wayland --root", "--window-id 0x20 --wayland",
                             "--wayland --display :0", "--x11 --root --wayland"})
        EXPECT_TRUE(choose(line, true).refused) << line;
    EXPECT_FALSE(choose("--wayland --root --x11", true).refused);
}

TEST(HostChoice, WaylandGetsTheSizeModeAndOverlayButNoPlace) {
    const auto asked = [](const std::string& line) {
        const ParsedCommandLine parsed = parseCommandLine(words(line));
        EXPECT_TRUE(parsed.options) << line;
        return waylandOptions(parsed.options.value_or(ProgramOptions{}).x11);
    };
    const WaylandOptions placed = asked("--geometry 640x480-10+20 --fps");
    EXPECT_TRUE(placed.width == 640 && placed.height == 480 && placed.fps && !placed.fullscreen);
    const WaylandOptions plain = asked("--fullscreen");
    EXPECT_TRUE(plain.fullscreen && !plain.fps && plain.width == 1024 && plain.height == 768);
}
