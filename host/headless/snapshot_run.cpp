#include "host/headless/snapshot_run.h"

#include "host/headless/egl_target.h"
#include "host/headless/png_writer.h"
#include "kernel/attribute_handler.h"
#include "kernel/universe.h"
#include "render/drawing_target.h"
#include "render/saver_model.h"
#include "tracery/clock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// Fails before the run rather than after minutes of rendering. Leaves no file behind
// that was not there before.
bool checkWritable(const std::string& path, std::string& error) {
    std::error_code ec;
    const bool existed = std::filesystem::exists(path, ec);
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    if (!existed)
        std::remove(path.c_str());
    return true;
}

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
    if (!options.file.empty() && !checkWritable(options.file, error))
        return SnapshotStatus::WriteFailed;
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

    // Written on the simulation thread, read here only after it has ended.
    SnapshotImage lastFrame;
    std::string frameError;
    target->setFrameHandler([&](EglTarget& t, std::int64_t frame) {
        if (!options.framesDir.empty() && frame % options.every == 0) {
            const std::string path = frameFileName(options.framesDir, frame);
            if (!writePng(path, t.width(), t.height(), t.readRgb(), frameError))
                throw new NS_AttributeHandler::Exception();
        }
        if (frame == options.ticks) {
            lastFrame.width = t.width();
            lastFrame.height = t.height();
            lastFrame.rgb = t.readRgb();
            // The last frame of the run: let the context go with this thread.
            t.releaseCurrent();
        }
    });

    SnapshotClock clock(options);
    ScopedClock pinned(clock);
    TargetInstalled installed(target.get());

    bool failed = false;
    try {
        NS_Universe::RunOptions run;
        run.pacing = NS_TimeService::Pacing::Virtual;
        run.tickLimit = options.ticks;
        NS_Universe::Universe universe(saverModel(), run);
        while (!universe.waitUntilEnded(1000)) {
        }
        failed = universe.simulationFailed();
        if (!failed && inspect)
            inspect(universe);
    } catch (...) {
        // Kernel errors carry no message; the run is over either way.
        failed = true;
    }
    if (failed) {
        if (!frameError.empty()) {
            error = frameError;
            return SnapshotStatus::WriteFailed;
        }
        error = "the saver's simulation failed (could not make the OpenGL context current, "
                "or a handler failed)";
        return SnapshotStatus::SimulationFailed;
    }
    if (lastFrame.rgb.empty()) {
        error = "the simulation ended before its last frame";
        return SnapshotStatus::SimulationFailed;
    }
    if (!options.file.empty() &&
        !writePng(options.file, lastFrame.width, lastFrame.height, lastFrame.rgb, error))
        return SnapshotStatus::WriteFailed;
    if (last != nullptr)
        *last = std::move(lastFrame);
    return SnapshotStatus::Ok;
}
