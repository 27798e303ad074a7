#include "host/app/command_line.h"
#include "host/app/host_choice.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace {
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

struct Outcome {
    SaverHost host;
    bool refused;
    int probes; // how often the compositor was asked
    std::string unreachable;
};

// `compositor`: the Wayland probe's answer (nullopt: it answers); `x11`: the
// X display's.
Outcome choose(const std::string& line, std::optional<std::string> compositor,
               std::optional<std::string> x11 = std::nullopt) {
    const ParsedCommandLine parsed = parseCommandLine(words(line));
    EXPECT_TRUE(parsed.options) << line << ": " << parsed.error;
    const ProgramOptions options = parsed.options.value_or(ProgramOptions{});
    int probes = 0;
    DisplayProbes probes_;
    probes_.wayland = [&] {
        ++probes;
        return compositor;
    };
    probes_.x11 = [&] { return x11; };
    const HostChoice choice = chooseSaverHost(options.host, options.x11, probes_);
    return {choice.host, !choice.usageError.empty(), probes, choice.unreachable};
}

Outcome choose(const std::string& line, bool compositor) {
    return choose(line, compositor ? std::nullopt : std::optional<std::string>("no compositor"));
}
} // namespace

TEST(HostChoice, WaylandWhenACompositorAnswersForAWindowOrFullScreenElseX11) {
    for (const char* line : {"", "--fullscreen", "--geometry 640x480+10+10", "--fps"}) {
        const Outcome with = choose(line, true);
        EXPECT_TRUE(with.host == SaverHost::Wayland && !with.refused) << line;
        const Outcome without = choose(line, false);
        EXPECT_TRUE(without.host == SaverHost::X11 && !without.refused) << line;
    }
    // What only X11 can do never asks the compositor, which costs a connection.
    for (const char* line :
         {"--root", "--window-id 0x20", "--display :3", "-root --fullscreen -root"}) {
        const Outcome outcome = choose(line, true);
        EXPECT_TRUE(outcome.host == SaverHost::X11 && !outcome.refused) << line;
        EXPECT_EQ(outcome.probes, 0) << line;
    }
}

TEST(HostChoice, ForcedHostsWinWithoutAskingAndTheLastOneCounts) {
    const Outcome x11 = choose("--x11", true);
    EXPECT_TRUE(x11.host == SaverHost::X11 && !x11.refused && x11.probes == 0);
    const Outcome wayland = choose("--wayland --fullscreen", false);
    EXPECT_TRUE(wayland.host == SaverHost::Wayland && !wayland.refused);
    EXPECT_EQ(wayland.probes, 0) << "a forced Wayland host reports its own missing compositor";
    EXPECT_EQ(choose("--wayland -x11", true).host, SaverHost::X11);
    EXPECT_EQ(choose("-x11 --wayland", false).host, SaverHost::Wayland);
    // The X11-only modes and an X display cannot be drawn by Wayland.
    for (const char* line : {"--wayland --root", "--window-id 0x20 --wayland",
                             "--wayland --display :0", "--x11 --root --wayland"})
        EXPECT_TRUE(choose(line, true).refused) << line;
    EXPECT_FALSE(choose("--wayland --root --x11", true).refused);
}

TEST(HostChoice, WithNeitherDisplayAnsweringBothAreNamedInOneReason) {
    const Outcome neither =
        choose("--fullscreen", std::string("cannot connect to the Wayland compositor \"w-9\""),
               std::string("cannot open the X display \"\""));
    EXPECT_FALSE(neither.refused);
    EXPECT_EQ(neither.unreachable,
              "cannot connect to the Wayland compositor \"w-9\"; cannot open the X display \"\"");
    // A failed compositor with a working X display is no error: X11 draws.
    const Outcome fallback = choose("", std::string("cannot connect"), std::nullopt);
    EXPECT_TRUE(fallback.host == SaverHost::X11 && fallback.unreachable.empty());
    // No compositor named at all: nothing was tried, the X11 host reports its
    // own display.
    const Outcome untried = choose("", std::string(), std::string("cannot open"));
    EXPECT_TRUE(untried.host == SaverHost::X11 && untried.unreachable.empty());
}
