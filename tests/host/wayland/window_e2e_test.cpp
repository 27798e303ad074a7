// The saver's window on a real compositor: it draws at the size asked for and
// closes on each input a user can give, on the compositor's close and on
// signals; it reports its frame rate when asked; a scaled output gets a
// full-resolution picture. Touch cannot be synthesised under headless sway
// (no virtual touch device exists for it), so the touch rule is not exercised
// here.
#include <gtest/gtest.h>

#include "tests/host/frame_counts.h"
#include "tests/host/wayland/wayland_test_support.h"

#include <chrono>
#include <regex>
#include <thread>

namespace {
std::vector<std::string> saver(std::vector<std::string> args) {
    args.insert(args.begin(), {VELTRANE_BINARY, "--wayland"});
    return args;
}

// Centre of the first output, where sway places a floating window.
constexpr int centreX = 640, centreY = 512;
} // namespace

TEST(WaylandWindow, DrawsAtTheRequestedSizeAndClosesOnEachInputButNotOnFourPixelsOfTravel) {
    auto compositor = Compositor::shared();
    REQUIRE_COMPOSITOR(compositor);
    const struct {
        std::vector<std::string> args;
        int width, height;
        std::string input;
    } cases[] = {
        {{}, 1024, 768, "key"},     {{"--geometry", "640x480"}, 640, 480, "button"},
        {{}, 1024, 768, "travel"},  {{"--geometry", "400x300"}, 400, 300, "compositor's close"},
        {{}, 1024, 768, "SIGTERM"}, {{"--geometry", "300x200"}, 300, 200, "SIGINT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        compositor->moveCursorTo(centreX, centreY); // inside where the window appears
        ChildProcess run(saver(c.args), compositor->environment());
        auto surfaces = waitForSurfaces(*compositor, 1, false, startupMs);
        ASSERT_EQ(surfaces.size(), 1u) << "no window drawn: " << run.errorOutput();
        EXPECT_EQ(surfaces[0].pid, run.pid());
        EXPECT_EQ(std::pair(surfaces[0].width, surfaces[0].height), std::pair(c.width, c.height));

        if (c.input == "key") {
            compositor->typeKey();
        } else if (c.input == "button") {
            compositor->pressButton();
        } else if (c.input == "travel") {
            compositor->moveCursorBy(2, -2); // |2| + |-2|
            compositor->moveCursorBy(2, 2);  // |4| + 0
            EXPECT_FALSE(run.waitExit(settleMs)) << "closed on 4 pixels of travel";
            compositor->moveCursorBy(1, 0);
        } else if (c.input == "compositor's close") {
            compositor->swaymsg("'[app_id=\"veltrane\"]' kill");
        } else {
            run.signal(c.input == "SIGTERM" ? SIGTERM : SIGINT);
        }
        EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
        EXPECT_TRUE(eventually(exitMs, [&] { return compositor->saverSurfaces().empty(); }))
            << "window left behind";
    }
}

// The overlay's "F" has its left stroke at x 8 and 9, 26 to 39 pixels above
// the bottom edge; VELTRANE_REPORT_FRAMES=1 adds the rate line on stderr.
TEST(WaylandWindow, ShowsTheFrameRateOverlayAndReportsTheRateOnlyWhenAsked) {
    auto compositor = Compositor::shared();
    REQUIRE_COMPOSITOR(compositor);
    for (bool asked : {false, true}) {
        SCOPED_TRACE(asked ? "asked" : "not asked");
        std::vector<std::string> args = {"--geometry", "400x300"};
        if (asked)
            args.push_back("--fps");
        ChildProcess run(saver(args), compositor->environment({asked ? "VELTRANE_REPORT_FRAMES=1"
                                                                     : "VELTRANE_REPORT_FRAMES"}));
        auto surfaces = waitForSurfaces(*compositor, 1, false, startupMs);
        ASSERT_EQ(surfaces.size(), 1u) << run.errorOutput();
        EXPECT_EQ(eventually(asked ? startupMs : settleMs,
                             [&] {
                                 return compositor->capture(surfaces[0]).pixel(8, 300 - 1 - 32) ==
                                        0xffffffu;
                             }),
                  asked);
        run.signal(SIGTERM);
        EXPECT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
        const bool reported = std::regex_search(run.errorOutput(), std::regex("per second"));
        EXPECT_EQ(reported, asked) << run.errorOutput();
    }
}

// On a 2x output the window asks for a buffer of twice its logical size, so
// the picture is drawn at the output's full resolution, not scaled up.
TEST(WaylandWindow, OnAScaleTwoOutputDrawsIntoABufferOfTwiceItsSize) {
    auto compositor = Compositor::makePrivate();
    REQUIRE_COMPOSITOR(compositor);
    ASSERT_TRUE(compositor->swaymsg("output HEADLESS-1 scale 2").ok);
    ChildProcess run(saver({"--geometry", "400x300"}),
                     compositor->environment({"WAYLAND_DEBUG=client"}));
    auto surfaces = waitForSurfaces(*compositor, 1, false, startupMs);
    ASSERT_EQ(surfaces.size(), 1u) << run.errorOutput().substr(0, 4000);
    EXPECT_EQ(std::pair(surfaces[0].width, surfaces[0].height), std::pair(400, 300));
    Screenshot shot = compositor->capture(surfaces[0]);
    EXPECT_EQ(std::pair(shot.width, shot.height), std::pair(800, 600));
    run.signal(SIGTERM);
    EXPECT_EQ(run.waitExit(exitMs), 0);
    // The protocol trace: the scale announced, and buffers of 800x600.
    const std::string trace = run.errorOutput();
    EXPECT_TRUE(std::regex_search(trace, std::regex(R"(set_buffer_scale\(2\))")));
    EXPECT_TRUE(std::regex_search(trace, std::regex(R"(create_buffer\(.*, 800, 600, )")))
        << "no 800x600 buffer in the trace";
}

// On a workspace nobody shows, the compositor sends no frame callbacks and the
// window draws nothing; shown again, it draws at once. The frame report counts
// the ticks whose frames were not drawn.
TEST(WaylandWindow, DrawsNoFrameOnAHiddenWorkspaceAndDrawsAgainOnceShown) {
    auto compositor = Compositor::makePrivate();
    REQUIRE_COMPOSITOR(compositor);
    compositor->moveCursorTo(centreX, centreY);
    ChildProcess run(saver({"--geometry", "400x300"}),
                     compositor->environment({"VELTRANE_REPORT_FRAMES=1"}));
    auto surfaces = waitForSurfaces(*compositor, 1, false, startupMs);
    ASSERT_EQ(surfaces.size(), 1u) << run.errorOutput();
    ASSERT_TRUE(compositor->swaymsg("workspace 9").ok);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    ASSERT_TRUE(compositor->swaymsg("workspace 1").ok);
    // The compositor shows the last frame it got; a drawing saver changes it.
    const auto before = compositor->capture(surfaces[0]).rgb;
    EXPECT_TRUE(
        eventually(startupMs, [&] { return compositor->capture(surfaces[0]).rgb != before; }))
        << "not drawn again once shown: " << run.errorOutput();
    run.signal(SIGTERM);
    ASSERT_EQ(run.waitExit(exitMs), 0) << run.errorOutput();
    expectThreeUnseenSeconds(run.errorOutput());
}
