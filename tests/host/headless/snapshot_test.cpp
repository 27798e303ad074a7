#include "host/headless/egl_target.h"
#include "host/headless/snapshot_options.h"
#include "host/headless/snapshot_run.h"
#include "render/saver_run.h"
#include "tracery/clock.h"
#include "tracery/field_grid.h"
#include "tracery/vector2d.h"

#include "tests/host/headless/scratch_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {
namespace fs = std::filesystem;

// The pictures are checked on Mesa's software renderer, whatever GPU the machine has, so that
// the figures below do not depend on a driver. Set before any EGL call of this program.
const int softwareRendererOnly = setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);

SnapshotOptions fixedOptions(int width, int height, std::int64_t ticks) {
    SnapshotOptions o;
    o.width = width, o.height = height, o.ticks = ticks;
    o.hour = 12, o.minute = 34, o.seed = 7;
    return o;
}

// A frame read back, seen through the fixed camera (fovy 21, aspect 1.3333333, eye at z = 4),
// which shows the tracery plane from above: half the picture's width spans `aspect * reach` of
// the plane.
struct Picture {
    SnapshotImage image;
    static constexpr double aspect = 1.3333333;
    const double reach = 4.0 * std::tan(10.5 * 3.14159265358979323846 / 180.0);

    int rgb(int x, int y, int c) const {
        return int{image.rgb[static_cast<std::size_t>(3 * (y * image.width + x) + c)]};
    }
    int whiteness(int x, int y) const {
        return std::min({rgb(x, y, 0), rgb(x, y, 1), rgb(x, y, 2)});
    }
    Vector2D plane(int x, int y) const {
        return Vector2D(((x + 0.5) / image.width * 2.0 - 1.0) * aspect * reach,
                        (1.0 - (y + 0.5) / image.height * 2.0) * reach);
    }
};

// Frame 900 (30 s of saver time) of a 12:34 run, drawn offscreen.
void drawThirtySeconds(int width, int height, Picture& picture) {
    std::string error;
    std::unique_ptr<EglTarget> target = EglTarget::create(width, height, error);
    ASSERT_TRUE(target) << error;
    target->setFrameHandler([&](EglTarget& t, std::int64_t frame) {
        if (frame == 900)
            picture.image = SnapshotImage{t.width(), t.height(), t.readRgb()};
    });
    FixedClock clock(12, 34, 7);
    SaverRunSetup setup;
    setup.target = target.get();
    setup.clock = &clock;
    setup.options.pacing = NS_TimeService::Pacing::Virtual;
    setup.options.tickLimit = 900;
    SaverRun run(setup);
    while (!run.waitUntilEnded(1000)) {
    }
    ASSERT_FALSE(run.failed()) << run.failureMessage();
    ASSERT_TRUE(picture.image.width == width && picture.image.height == height);
}

// "Over a lit cell" allows a quarter of a cell around each: a stroke bulges a little beyond
// the guides' paths.
bool nearLitCell(const FieldGrid& grid, double px, double py) {
    for (double x : {px - 0.01, px, px + 0.01})
        for (double y : {py - 0.0096, py, py + 0.0096})
            if (x > -1.0 && x < 1.0 && y > -0.75 && y < 0.75 &&
                grid.at(static_cast<int>(25.0 * (x + 1.0)), static_cast<int>(26.0 * (y + 0.75))) ==
                    1.0)
                return true;
    return false;
}
} // namespace

// After 30 s of saver time the picture is black with the light's glow, and the strokes lie over
// the clock's lit cells: the clock is what the strokes draw.
TEST(Snapshot, StrokesDrawTheClockOnABlackBackgroundWithTheLightsGlow) {
    const int width = 640, height = 480;
    Picture picture;
    ASSERT_NO_FATAL_FAILURE(drawThirtySeconds(width, height, picture));
    const FieldGrid grid = FieldGrid::shared();

    // The light's glow: white at its centre, drawn over everything, and the only white there
    // is (the strokes' highlights stay coloured). Its sprite is at most about 0.17 wide.
    int lx = 0, ly = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (picture.whiteness(x, y) > picture.whiteness(lx, ly))
                lx = x, ly = y;
    EXPECT_GT(picture.whiteness(lx, ly), 200) << "no light's glow";
    const Vector2D light = picture.plane(lx, ly);
    const double lightReach = 0.19;

    // Stroke pixels: the material's ambient gives every stroke pixel a red component, which
    // the teal particles (red 0) and the black background lack. The light's sprite is left out.
    double black = 0, strokePixels = 0, overLit = 0, overMirrored = 0, nearLit = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            black += picture.rgb(x, y, 0) + picture.rgb(x, y, 1) + picture.rgb(x, y, 2) < 24;
            const Vector2D p = picture.plane(x, y);
            const bool near = nearLitCell(grid, p.x, p.y);
            nearLit += near;
            const double glow = std::max(std::fabs(p.x - light.x), std::fabs(p.y - light.y));
            if (glow <= lightReach || picture.rgb(x, y, 0) < 30)
                continue;
            ++strokePixels;
            overLit += near;
            overMirrored += nearLitCell(grid, p.x, -p.y);
        }
    }
    EXPECT_GT(black / (width * height), 0.5);
    ASSERT_GT(strokePixels, 2000);
    // The lit cells cover little of the picture: strokes placed anywhere else fail.
    EXPECT_LT(nearLit / (width * height), 0.35);
    EXPECT_GE(overLit / strokePixels, 0.70) << overLit << " of " << strokePixels;
    // Upside down, the digits would match far worse: the picture is the right way up.
    EXPECT_LT(overMirrored / strokePixels, overLit / strokePixels - 0.1);
}

// A write failure, not a generic simulation failure, with the name of what could not be written;
// the teardown survives the context left on the ended simulation thread.
TEST(Snapshot, WritesEveryKthFrameAndStopsWithItsNameAtOneItCannotWrite) {
    const fs::path dir = scratch_files::scratch("veltrane_render_test_", "frames");
    fs::create_directories(dir / "frame_000006.png"); // a directory in the way
    SnapshotOptions options = fixedOptions(64, 48, 10);
    options.framesDir = dir.string();
    options.every = 3;
    std::string error;
    EXPECT_EQ(runSnapshot(options, error), ExitStatus::WriteFailed);
    EXPECT_NE(error.find("frame_000006.png"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(dir / "frame_000003.png"));
    for (const char* absent : {"frame_000001.png", "frame_000002.png", "frame_000009.png"})
        EXPECT_FALSE(fs::exists(dir / absent)) << absent;
}
