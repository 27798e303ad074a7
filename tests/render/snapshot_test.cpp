#include "host/headless/snapshot_mode.h"
#include "host/headless/snapshot_options.h"
#include "host/headless/snapshot_run.h"
#include "kernel/universe.h"
#include "render/loader.h"
#include "tracery/field_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

// The pictures are checked on Mesa's software renderer, whatever GPU the machine has, so that
// the figures below do not depend on a driver. Set before any EGL call of this program.
const int softwareRendererOnly = setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);

// A command line from the words after the program name.
struct CommandLine {
    std::vector<std::string> words;
    std::vector<char*> argv;
    explicit CommandLine(const std::string& line) {
        std::istringstream in("veltrane " + line);
        words.assign(std::istream_iterator<std::string>(in), {});
        for (std::string& w : words)
            argv.push_back(w.data());
    }
    int argc() const { return static_cast<int>(argv.size()); }
};

std::string parse(const std::string& line, SnapshotOptions& options) {
    CommandLine c(line);
    return parseSnapshotOptions(c.argc(), c.argv.data(), options);
}

fs::path scratchDir(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("veltrane_render_test_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

SnapshotOptions fixedOptions(int width, int height, std::int64_t ticks) {
    SnapshotOptions o;
    o.width = width, o.height = height, o.ticks = ticks;
    o.hour = 12, o.minute = 34, o.seed = 7;
    return o;
}
} // namespace

// After 30 s of saver time the picture is black with the light's glow, and the strokes lie over
// the clock's lit cells: the clock is what the strokes draw.
TEST(Snapshot, StrokesDrawTheClockOnABlackBackgroundWithTheLightsGlow) {
    const int width = 640;
    const int height = 480;
    FieldGrid grid;
    MovingLight light;
    SnapshotImage image;
    auto inspect = [&](NS_Universe::Universe& universe) {
        grid = FieldGrid::shared();
        const auto* loader = dynamic_cast<Loader*>(universe.findHandler(L"Loader"));
        ASSERT_NE(loader, nullptr);
        light = loader->movingLight();
    };
    std::string error;
    const SnapshotStatus status =
        runSnapshot(fixedOptions(width, height, 900), error, &image, inspect);
    ASSERT_EQ(status, SnapshotStatus::Ok) << error;
    ASSERT_TRUE(image.width == width && image.height == height);
    auto rgb = [&](int x, int y, int c) {
        return int{image.rgb[static_cast<std::size_t>(3 * (y * width + x) + c)]};
    };

    // The fixed camera (fovy 21, aspect 1.3333333, eye at z = 4) maps the tracery plane to
    // pixels of the top-down image.
    const double focal = 1.0 / std::tan(10.5 * 3.14159265358979323846 / 180.0);
    auto pixelX = [&](double x) { return (focal / 1.3333333 * x / 4.0 + 1.0) * 0.5 * width; };
    auto pixelY = [&](double y) { return (1.0 - focal * y / 4.0) * 0.5 * height; };

    // The light's glow: white at its centre, drawn over everything.
    ASSERT_GT(light.intensity, 0.05);
    const int lx = static_cast<int>(pixelX(light.position.x));
    const int ly = static_cast<int>(pixelY(light.position.y));
    if (lx >= 0 && lx < width && ly >= 0 && ly < height) {
        for (int c = 0; c < 3; ++c)
            EXPECT_GT(rgb(lx, ly, c), 200) << "channel " << c;
    }

    // "Over a lit cell" allows a quarter of a cell around each: a stroke bulges a little beyond
    // the guides' paths.
    auto nearLitCell = [&](double px, double py) {
        for (double x : {px - 0.01, px, px + 0.01})
            for (double y : {py - 0.0096, py, py + 0.0096})
                if (x > -1.0 && x < 1.0 && y > -0.75 && y < 0.75 &&
                    grid.at(static_cast<int>(25.0 * (x + 1.0)),
                            static_cast<int>(26.0 * (y + 0.75))) == 1.0)
                    return true;
        return false;
    };
    // Stroke pixels: the material's ambient gives every stroke pixel a red component, which
    // the teal particles (red 0) and the black background lack. The light's sprite is left out.
    double black = 0, strokePixels = 0, overLit = 0, overMirrored = 0, nearLit = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            black += rgb(x, y, 0) + rgb(x, y, 1) + rgb(x, y, 2) < 24;
            const double px = ((x + 0.5) / width * 2.0 - 1.0) * 4.0 * 1.3333333 / focal;
            const double py = (1.0 - (y + 0.5) / height * 2.0) * 4.0 / focal;
            const bool near = nearLitCell(px, py);
            nearLit += near;
            if (std::fabs(px - light.position.x) <= light.intensity + 0.02 &&
                std::fabs(py - light.position.y) <= light.intensity + 0.02)
                continue;
            if (rgb(x, y, 0) < 30)
                continue;
            ++strokePixels;
            overLit += near;
            overMirrored += nearLitCell(px, -py);
        }
    }
    EXPECT_GT(black / (width * height), 0.5);
    ASSERT_GT(strokePixels, 2000);
    // The lit cells cover a small part of the picture: strokes placed anywhere else fail.
    EXPECT_LT(nearLit / (width * height), 0.35);
    EXPECT_GE(overLit / strokePixels, 0.70) << overLit << " of " << strokePixels;
    // Upside down, the digits would match far worse: the picture is the right way up.
    EXPECT_LT(overMirrored / strokePixels, overLit / strokePixels - 0.1);
}

TEST(Snapshot, SameSeedTimeAndSizeGiveTheSamePng) {
    const fs::path dir = scratchDir("twice");
    std::string png[2];
    for (int run = 0; run < 2; ++run) {
        SnapshotOptions options = fixedOptions(320, 240, 300);
        options.file = (dir / ("run" + std::to_string(run) + ".png")).string();
        std::string error;
        ASSERT_EQ(runSnapshot(options, error), SnapshotStatus::Ok) << error;
        png[run].resize(fs::file_size(options.file));
        std::ifstream(options.file, std::ios::binary).read(png[run].data(), std::ssize(png[run]));
    }
    ASSERT_EQ(png[0].substr(1, 3), "PNG");
    EXPECT_TRUE(png[0] == png[1]) << "the two runs differ";
    fs::remove_all(dir);
}

TEST(Snapshot, WritesEveryKthFrameAndStopsWithItsNameAtOneItCannotWrite) {
    const fs::path dir = scratchDir("frames");
    fs::create_directories(dir / "frame_000006.png"); // a directory in the way
    SnapshotOptions options = fixedOptions(64, 48, 10);
    options.framesDir = dir.string();
    options.every = 3;
    std::string error;
    // Not a generic simulation failure, and the teardown survives the context left on the
    // ended simulation thread.
    EXPECT_EQ(runSnapshot(options, error), SnapshotStatus::WriteFailed);
    EXPECT_NE(error.find("frame_000006.png"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(dir / "frame_000003.png"));
    for (const char* absent : {"frame_000001.png", "frame_000002.png", "frame_000009.png"})
        EXPECT_FALSE(fs::exists(dir / absent)) << absent;
    fs::remove_all(dir);
}

TEST(Snapshot, UnwritableFileExitsNonZeroNamingItBeforeRendering) {
    // 900000 ticks would take minutes: the check must come first.
    const fs::path file = scratchDir("unwritable") / "missing" / "out.png";
    CommandLine c("--snapshot " + file.string() + " --size 64x48 --ticks 900000");
    testing::internal::CaptureStderr();
    const int status = runSnapshotMode(c.argc(), c.argv.data());
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, static_cast<int>(SnapshotStatus::WriteFailed));
    EXPECT_NE(message.find("out.png"), std::string::npos) << message;
}

TEST(SnapshotOptions, ReadsOptionsInAnyOrderAndLeavesUnsetOnesUnset) {
    SnapshotOptions o;
    ASSERT_EQ(parse("--snapshot out.png", o), "");
    EXPECT_TRUE(o.file == "out.png" && !o.hour && !o.seed && o.framesDir.empty());

    ASSERT_EQ(parse("--seed 4294967295 --snapshot a.png --time 07:05 --size 320x200 --ticks 12 "
                    "--frames dir --every 3",
                    o),
              "");
    EXPECT_EQ(o.file, "a.png");
    EXPECT_EQ(*o.seed, 4294967295LL);
    EXPECT_TRUE(*o.hour == 7 && *o.minute == 5 && o.width == 320 && o.height == 200);
    EXPECT_TRUE(o.ticks == 12 && o.framesDir == "dir" && o.every == 3);
    ASSERT_EQ(parse("--snapshot --frames seq", o), "") << "frames alone need no file";
    EXPECT_TRUE(o.file.empty());
}

TEST(SnapshotOptions, RejectsMalformedOrOutOfRangeInput) {
    // Values themselves are checked by the shared parsers (OptionValues tests).
    for (const char* bad : {"--snapshot", "--snapshot a.png --snapshot b.png", "--snapshot a.png x",
                            "--snapshot a.png --ticks", "--snapshot a.png --ticks 12abc",
                            "--snapshot a.png --size 9000x100", "--snapshot a.png --time 24:00",
                            "--snapshot a.png --seed 4294967296", "--snapshot a.png --every 2",
                            "--snapshot --frames d --every 0"}) {
        SnapshotOptions o;
        EXPECT_NE(parse(bad, o), "") << bad;
    }
}
