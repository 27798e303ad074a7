#include "host/headless/snapshot_run.h"

#include "host/headless/egl_target.h"
#include "host/headless/output_file.h"
#include "host/headless/png_writer.h"
#include "host/headless/webp_recorder.h"
#include "kernel/attribute_handler.h"
#include "kernel/kernel_exceptions.h"
#include "kernel/universe.h"
#include "render/drawing_target.h"
#include "render/saver_model.h"
#include "tracery/clock.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {
// The real clock, except for what the command line pinned.
class SnapshotClock final : public Clock {
public:
    explicit SnapshotClock(const SnapshotOptions& options) : options_(options) {}

    HourMinute localHourMinute() const override {
        if (options_.hour && options_.minute)
            return HourMinute{*options_.hour, *options_.minute};
        return system_.localHourMinute();
    }
    std::int64_t calendarSeconds() const override {
        return options_.seed ? *options_.seed : system_.calendarSeconds();
    }

private:
    const SnapshotOptions& options_;
    SystemClock system_;
};

std::string frameFileName(const std::string& dir, std::int64_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(frame));
    return (std::filesystem::path(dir) / name).string();
}

// Clears the process-wide target however the run ends.
struct TargetInstalled {
    explicit TargetInstalled(DrawingTarget* target) { setDrawingTarget(target); }
    ~TargetInstalled() { setDrawingTarget(nullptr); }
    TargetInstalled(const TargetInstalled&) = delete;
    TargetInstalled& operator=(const TargetInstalled&) = delete;
};
} // namespace

SnapshotStatus runSnapshot(const SnapshotOptions& options, std::string& error, SnapshotImage* last,
                           const std::function<void(NS_Universe::Universe&)>& inspect) {
    // Every destination is checked before the run rather than after minutes of
    // rendering.
    std::unique_ptr<OutputFile> output;
    if (!options.file.empty()) {
        output = OutputFile::prepare(options.file, error);
        if (!output)
            return SnapshotStatus::WriteFailed;
    }
    if (options.record && !output) {
        error = "--record wants a file name";
        return SnapshotStatus::BadArguments;
    }
    if (!options.framesDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.framesDir, ec);
        if (ec || !std::filesystem::is_directory(options.framesDir)) {
            error = "cannot create the frames directory " + options.framesDir +
                    (ec ? ": " + ec.message() : std::string());
            return SnapshotStatus::WriteFailed;
        }
    }

    std::unique_ptr<EglTarget> target = EglTarget::create(options.width, options.height, error);
    if (!target)
        return SnapshotStatus::NoOpenGL;

    const std::int64_t ticks = options.ticksToRun();
    std::unique_ptr<WebpRecorder> recorder;
    if (options.record)
        recorder = std::make_unique<WebpRecorder>(options.width, options.height, options.quality,
                                                  options.displayMilliseconds());

    // Written on the simulation thread, read here only after it has ended.
    SnapshotImage lastFrame;
    std::string frameError;
    target->setFrameHandler([&](EglTarget& t, std::int64_t frame) {
        const bool wanted = frame % options.every == 0;
        if (wanted && (!options.framesDir.empty() || recorder)) {
            const std::vector<std::uint8_t> rgb = t.readRgb();
            if (!options.framesDir.empty() && !writePng(frameFileName(options.framesDir, frame),
                                                        t.width(), t.height(), rgb, frameError))
                throw new NS_AttributeHandler::Exception();
            if (recorder && !recorder->addFrame(rgb, frameError)) {
                frameError = "cannot record " + options.file + ": " + frameError;
                throw new NS_AttributeHandler::Exception();
            }
        }
        if (frame == ticks) {
            if (!options.record) {
                lastFrame.width = t.width();
                lastFrame.height = t.height();
                lastFrame.rgb = t.readRgb();
            }
            // The last frame of the run: let the context go with this thread.
            t.releaseCurrent();
        }
    });

    SnapshotClock clock(options);
    ScopedClock pinned(clock);
    TargetInstalled installed(target.get());

    bool failed = false;
    std::string what;
    try {
        NS_Universe::RunOptions run;
        run.pacing = NS_TimeService::Pacing::Virtual;
        run.tickLimit = ticks;
        NS_Universe::Universe universe(saverModel(), run);
        while (!universe.waitUntilEnded(1000)) {
        }
        failed = universe.simulationFailed();
        what = universe.failureMessage();
        if (!failed && inspect)
            inspect(universe);
    } catch (...) {
        // Building or tearing down the world failed; the run is over either way.
        what = NS_KernelExceptions::describeCurrentException();
        NS_KernelExceptions::freeCurrentException();
        failed = true;
    }
    if (failed) {
        if (!frameError.empty()) {
            error = frameError;
            return SnapshotStatus::WriteFailed;
        }
        error = "the saver's simulation failed (" +
                (what.empty() ? std::string("its teardown failed") : what) + ")";
        return SnapshotStatus::SimulationFailed;
    }

    if (recorder) {
        std::vector<std::uint8_t> webp;
        if (!recorder->finish(webp, error)) {
            error = "cannot record " + options.file + ": " + error;
            return SnapshotStatus::WriteFailed;
        }
        if (!output->write([&](std::FILE* out) { return writeAll(out, webp.data(), webp.size()); },
                           error))
            return SnapshotStatus::WriteFailed;
        return SnapshotStatus::Ok;
    }
    if (lastFrame.rgb.empty()) {
        error = "the simulation ended before its last frame";
        return SnapshotStatus::SimulationFailed;
    }
    if (output && !output->write(
                      [&](std::FILE* out) {
                          return encodePng(out, lastFrame.width, lastFrame.height, lastFrame.rgb);
                      },
                      error))
        return SnapshotStatus::WriteFailed;
    if (last != nullptr)
        *last = std::move(lastFrame);
    return SnapshotStatus::Ok;
}
