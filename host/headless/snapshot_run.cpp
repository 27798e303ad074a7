#include "host/headless/snapshot_run.h"

#include "host/headless/egl_target.h"
#include "host/headless/output_file.h"
#include "host/headless/png_writer.h"
#include "host/headless/webp_recorder.h"
#include "kernel/attribute_handler.h"
#include "kernel/kernel_exceptions.h"
#include "render/saver_run.h"
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

// What the run hands back to the writing step. Written on the simulation
// thread, read on the calling thread only after that thread has ended.
struct RunResult {
    SnapshotImage lastFrame;
    std::string frameError;
};

// Every destination is checked before the run rather than after minutes of
// rendering.
ExitStatus checkDestinations(const SnapshotOptions& options, std::unique_ptr<OutputFile>& output,
                             std::string& error) {
    if (!options.file.empty()) {
        output = OutputFile::prepare(options.file, error);
        if (!output)
            return ExitStatus::WriteFailed;
    }
    if (options.record && !output) {
        error = "--record wants a file name";
        return ExitStatus::Usage;
    }
    if (!options.framesDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.framesDir, ec);
        if (ec || !std::filesystem::is_directory(options.framesDir)) {
            error = "cannot create the frames directory " + options.framesDir +
                    (ec ? ": " + ec.message() : std::string());
            return ExitStatus::WriteFailed;
        }
    }
    return ExitStatus::Ok;
}

// Runs on the simulation thread after every frame: the frames directory and
// the recording get every `every`-th frame, the result the last one.
void handleFrame(const SnapshotOptions& options, WebpRecorder* recorder, RunResult& result,
                 EglTarget& target, std::int64_t frame) {
    if (frame % options.every == 0 && (!options.framesDir.empty() || recorder)) {
        const std::vector<std::uint8_t> rgb = target.readRgb();
        if (!options.framesDir.empty() &&
            !writePng(frameFileName(options.framesDir, frame), target.width(), target.height(), rgb,
                      result.frameError))
            throw new NS_AttributeHandler::Exception();
        if (recorder && !recorder->addFrame(rgb, result.frameError)) {
            result.frameError = "cannot record " + options.file + ": " + result.frameError;
            throw new NS_AttributeHandler::Exception();
        }
    }
    if (frame == options.ticksToRun() && !options.record) {
        result.lastFrame.width = target.width();
        result.lastFrame.height = target.height();
        result.lastFrame.rgb = target.readRgb();
    }
}

// The saver's run on the virtual timer until its last tick.
ExitStatus renderFrames(const SnapshotOptions& options, EglTarget& target, RunResult& result,
                        std::string& error) {
    SnapshotClock clock(options);
    SaverRunSetup setup;
    setup.target = &target;
    setup.clock = &clock;
    setup.options.pacing = NS_TimeService::Pacing::Virtual;
    setup.options.tickLimit = options.ticksToRun();
    bool failed = false;
    bool unbound = false;
    std::string what;
    try {
        SaverRun run(setup);
        while (!run.waitUntilEnded(1000)) {
        }
        if (!run.finish())
            what = "its teardown failed: " + run.teardownError();
        failed = run.failed() || !what.empty();
        if (run.failed())
            what = run.failureMessage();
        unbound = run.cannotDraw();
    } catch (...) {
        what = NS_KernelExceptions::describeCurrentException();
        NS_KernelExceptions::freeCurrentException();
        failed = true;
    }
    if (failed && !result.frameError.empty()) {
        error = result.frameError;
        return ExitStatus::WriteFailed;
    }
    if (failed) {
        error = "the saver's simulation failed (" + what + ")";
        return ExitStatus::SimulationFailed;
    }
    if (unbound) {
        error = "the EGL context cannot be made current";
        return ExitStatus::Environment;
    }
    return ExitStatus::Ok;
}

ExitStatus writeResult(const SnapshotOptions& options, OutputFile* output, WebpRecorder* recorder,
                       const RunResult& result, std::string& error) {
    if (recorder) {
        std::vector<std::uint8_t> webp;
        if (!recorder->finish(webp, error)) {
            error = "cannot record " + options.file + ": " + error;
            return ExitStatus::WriteFailed;
        }
        const bool written = output->write(
            [&](std::FILE* out) { return writeAll(out, webp.data(), webp.size()); }, error);
        return written ? ExitStatus::Ok : ExitStatus::WriteFailed;
    }
    const SnapshotImage& last = result.lastFrame;
    if (last.rgb.empty()) {
        error = "the simulation ended before its last frame";
        return ExitStatus::SimulationFailed;
    }
    if (output &&
        !output->write(
            [&](std::FILE* out) { return encodePng(out, last.width, last.height, last.rgb); },
            error))
        return ExitStatus::WriteFailed;
    return ExitStatus::Ok;
}
} // namespace

ExitStatus runSnapshot(const SnapshotOptions& options, std::string& error) {
    std::unique_ptr<OutputFile> output;
    if (const ExitStatus checked = checkDestinations(options, output, error);
        checked != ExitStatus::Ok)
        return checked;
    std::unique_ptr<EglTarget> target = EglTarget::create(options.width, options.height, error);
    if (!target)
        return ExitStatus::Environment;
    std::unique_ptr<WebpRecorder> recorder;
    if (options.record)
        recorder = std::make_unique<WebpRecorder>(options.width, options.height, options.quality,
                                                  options.displayMilliseconds());
    RunResult result;
    target->setFrameHandler([&](EglTarget& t, std::int64_t frame) {
        handleFrame(options, recorder.get(), result, t, frame);
    });
    if (const ExitStatus ran = renderFrames(options, *target, result, error); ran != ExitStatus::Ok)
        return ran;
    return writeResult(options, output.get(), recorder.get(), result, error);
}
