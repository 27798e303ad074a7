#include "host/headless/snapshot_run.h"
#include "kernel/universe.h"
#include "render/loader.h"
#include "tracery/field_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
namespace fs = std::filesystem;

// The pictures are checked on Mesa's software renderer, whatever GPU the machine has,
// so that the figures below do not depend on a driver. Set before any EGL call of this
// test program (the GL tests all start after static initialisation).
const int softwareRendererOnly = setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);

// Where the fixed camera (fovy 21, aspect 1.3333333, eye at z = 4) puts points of the
// tracery plane, in pixels of a top-down image, and back.
const double focal = 1.0 / std::tan(10.5 * 3.14159265358979323846 / 180.0);
struct Projection {
    int width;
    int height;
    double pixelX(double x) const { return (focal / 1.3333333 * x / 4.0 + 1.0) * 0.5 * width; }
    double pixelY(double y) const { return (1.0 - focal * y / 4.0) * 0.5 * height; }
    double planeX(double px) const { return (px / width * 2.0 - 1.0) * 4.0 * 1.3333333 / focal; }
    double planeY(double py) const { return (1.0 - py / height * 2.0) * 4.0 / focal; }
};

struct Rgb {
    int r, g, b;
};

Rgb pixel(const SnapshotImage& image, int x, int y) {
    const std::size_t k = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                           static_cast<std::size_t>(x)) *
                          3;
    return {image.rgb[k], image.rgb[k + 1], image.rgb[k + 2]};
}

std::string readFile(const fs::path& path) {
    std::string bytes;
    if (std::FILE* f = std::fopen(path.string().c_str(), "rb")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

fs::path scratchDir(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("veltrane_render_test_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

SnapshotOptions fixedOptions(int width, int height, std::int64_t ticks) {
    SnapshotOptions o;
    o.width = width;
    o.height = height;
    o.ticks = ticks;
    o.hour = 12;
    o.minute = 34;
    o.seed = 7;
    return o;
}
} // namespace

// After 30 s of saver time the picture is black with the light's glow, and the strokes
// lie over the clock's lit cells: the clock is what the strokes draw.
TEST(Snapshot, StrokesDrawTheClockOnABlackBackgroundWithTheLightsGlow) {
    const int width = 640;
    const int height = 480;
    SnapshotOptions options = fixedOptions(width, height, 900);
    FieldGrid grid;
    MovingLight light;
    std::size_t strokes = 0;
    SnapshotImage image;
    std::string error;
    const SnapshotStatus status =
        runSnapshot(options, error, &image, [&](NS_Universe::Universe& universe) {
            grid = FieldGrid::shared();
            const auto* loader = dynamic_cast<Loader*>(universe.findHandler(L"Loader"));
            ASSERT_NE(loader, nullptr);
            light = loader->movingLight();
            strokes = loader->strokeSet().size();
        });
    ASSERT_EQ(status, SnapshotStatus::Ok) << error;
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    EXPECT_GT(strokes, 20u);

    const Projection at{width, height};
    // Black background over most of the picture.
    std::size_t black = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb p = pixel(image, x, y);
            black += (p.r + p.g + p.b < 24) ? 1u : 0u;
        }
    EXPECT_GT(black, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) / 2);

    // The light's glow: white at its centre, drawn over everything.
    ASSERT_GT(light.intensity, 0.05);
    const int lx = static_cast<int>(at.pixelX(light.position.x));
    const int ly = static_cast<int>(at.pixelY(light.position.y));
    if (lx >= 0 && lx < width && ly >= 0 && ly < height) {
        const Rgb p = pixel(image, lx, ly);
        EXPECT_GT(p.r, 200);
        EXPECT_GT(p.g, 200);
        EXPECT_GT(p.b, 200);
    }
    const double spriteLeft = at.pixelX(light.position.x - light.intensity) - 2;
    const double spriteRight = at.pixelX(light.position.x + light.intensity) + 2;
    const double spriteTop = at.pixelY(light.position.y + light.intensity) - 2;
    const double spriteBottom = at.pixelY(light.position.y - light.intensity) + 2;

    // Stroke pixels: the material's ambient gives every stroke pixel a red component,
    // which the teal particles (red 0) and the black background lack. The light's sprite
    // is left out. A stroke bulges a little beyond the guides' paths, so "over a lit
    // cell" allows a quarter of a cell around each one.
    std::size_t litCells = 0;
    for (int c = 0; c < FieldGrid::Columns; ++c)
        for (int r = 0; r < FieldGrid::Rows - 1; ++r)
            litCells += grid.at(c, r) == 1.0 ? 1u : 0u;
    ASSERT_GT(litCells, 50u) << "12:34 must be painted";
    auto nearLitCell = [&](double px, double py) {
        for (double dx : {-0.01, 0.0, 0.01})
            for (double dy : {-0.0096, 0.0, 0.0096}) {
                const double x = px + dx;
                const double y = py + dy;
                if (x <= -1.0 || x >= 1.0 || y <= -0.75 || y >= 0.75)
                    continue;
                if (grid.at(static_cast<int>(25.0 * (x + 1.0)),
                            static_cast<int>(26.0 * (y + 0.75))) == 1.0)
                    return true;
            }
        return false;
    };
    std::size_t strokePixels = 0;
    std::size_t overLitCells = 0;
    std::size_t overMirroredCells = 0;
    std::size_t pixelsNearLitCells = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Back from the pixel centre to the plane.
            const double px = at.planeX(x + 0.5);
            const double py = at.planeY(y + 0.5);
            const bool near = nearLitCell(px, py);
            pixelsNearLitCells += near ? 1u : 0u;
            if (x >= spriteLeft && x <= spriteRight && y >= spriteTop && y <= spriteBottom)
                continue;
            if (pixel(image, x, y).r < 30)
                continue;
            ++strokePixels;
            overLitCells += near ? 1u : 0u;
            overMirroredCells += nearLitCell(px, -py) ? 1u : 0u;
        }
    }
    ASSERT_GT(strokePixels, 2000u);
    // The lit cells cover a small part of the picture, so strokes placed anywhere else
    // could not pass.
    EXPECT_LT(static_cast<double>(pixelsNearLitCells) / (width * height), 0.35);
    const double share = static_cast<double>(overLitCells) / static_cast<double>(strokePixels);
    EXPECT_GE(share, 0.70) << overLitCells << " of " << strokePixels << " stroke pixels";
    // Upside down, the digits would match far worse: the picture is the right way up.
    const double mirrored =
        static_cast<double>(overMirroredCells) / static_cast<double>(strokePixels);
    EXPECT_LT(mirrored, share - 0.1) << "mirrored " << mirrored << " vs " << share;
}

TEST(Snapshot, SameSeedTimeAndSizeGiveTheSamePng) {
    const fs::path dir = scratchDir("twice");
    std::string first;
    for (int run = 0; run < 2; ++run) {
        SnapshotOptions options = fixedOptions(320, 240, 300);
        options.file = (dir / ("run" + std::to_string(run) + ".png")).string();
        std::string error;
        ASSERT_EQ(runSnapshot(options, error), SnapshotStatus::Ok) << error;
        const std::string bytes = readFile(options.file);
        ASSERT_GT(bytes.size(), 100u);
        ASSERT_EQ(bytes.substr(1, 3), "PNG");
        if (run == 0)
            first = bytes;
        else
            EXPECT_TRUE(bytes == first) << "the two runs differ";
    }
    fs::remove_all(dir);
}

TEST(Snapshot, WritesEveryKthFrameAndStopsClearlyAtOneItCannotWrite) {
    const fs::path dir = scratchDir("frames");
    SnapshotOptions options = fixedOptions(64, 48, 7);
    options.framesDir = (dir / "seq").string();
    options.every = 3;
    std::string error;
    ASSERT_EQ(runSnapshot(options, error), SnapshotStatus::Ok) << error;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(options.framesDir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"frame_000003.png", "frame_000006.png"}));

    // Mid-run: the run ends with that frame's name, not a generic simulation failure,
    // and the teardown survives the context left on the ended thread.
    fs::create_directories(dir / "blocked" / "frame_000002.png");
    options.framesDir = (dir / "blocked").string();
    options.every = 1;
    EXPECT_EQ(runSnapshot(options, error), SnapshotStatus::WriteFailed);
    EXPECT_NE(error.find("frame_000002.png"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(dir / "blocked" / "frame_000001.png"));
    EXPECT_FALSE(fs::exists(dir / "blocked" / "frame_000003.png"));
    fs::remove_all(dir);
}

TEST(Snapshot, UnwritableFileFailsBeforeRendering) {
    SnapshotOptions options = fixedOptions(64, 48, 900000); // would take minutes
    options.file = (scratchDir("unwritable") / "missing" / "out.png").string();
    std::string error;
    EXPECT_EQ(runSnapshot(options, error), SnapshotStatus::WriteFailed);
    EXPECT_NE(error.find("out.png"), std::string::npos) << error;
}
