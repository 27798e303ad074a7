#include "host/common/hosted_run.h"

#include "host/common/closing_rules.h"
#include "host/common/fps_overlay_target.h"
#include "host/common/frame_report.h"
#include "host/common/host.h"
#include "host/common/unexpected_error.h"
#include "kernel/kernel_exceptions.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace {

// How long one wait for the host's events may last: how soon a failure of
// the drawing thread is noticed when no event comes.
constexpr int pollMilliseconds = 50;

class HostedRun {
public:
    HostedRun(Host& host, const HostedSaver& saver)
        : host_(host), saver_(saver), rules_(saver.watchesInput) {}
    ~HostedRun() { finish(); }
    HostedRun(const HostedRun&) = delete;
    HostedRun& operator=(const HostedRun&) = delete;

    ExitStatus run();

private:
    Host& host_;
    const HostedSaver& saver_;
    ClosingRules rules_;
    std::unique_ptr<FpsOverlayTarget> overlay_;
    std::unique_ptr<Animation> animation_;
    std::optional<FrameReport> frameReport_;
    bool finished_ = false;

    ExitStatus start();
    ExitStatus loop();
    // False when the animation's teardown reported an error. Never throws.
    bool finish();
};

ExitStatus HostedRun::run() {
    try {
        ExitStatus status = host_.open(rules_);
        if (status == ExitStatus::Ok)
            status = start();
        if (status == ExitStatus::Ok && animation_)
            status = loop();
        if (!finish() && status == ExitStatus::Ok) {
            std::fprintf(stderr, "veltrane: the simulation failed while shutting down\n");
            status = ExitStatus::SimulationFailed;
        }
        return status;
    } catch (...) {
        finish(); // the screen is given back before the report
        return reportUnexpectedError();
    }
}

ExitStatus HostedRun::start() {
    if (rules_.closed())
        return ExitStatus::Ok;
    DrawingTarget* target = &host_.drawingTarget();
    if (saver_.fps) {
        overlay_ = std::make_unique<FpsOverlayTarget>(*target);
        target = overlay_.get();
    }
    frameReport_.emplace();
    animation_ = saver_.animation(*target);
    return ExitStatus::Ok;
}

ExitStatus HostedRun::loop() {
    for (;;) {
        if (const std::optional<ExitStatus> ended = host_.pump(rules_, pollMilliseconds))
            return *ended;
        if (rules_.closed())
            return ExitStatus::Ok;
        if (animation_->cannotDraw())
            return host_.cannotDraw();
        if (animation_->failed()) {
            const std::string what = animation_->failureMessage();
            std::fprintf(stderr,
                         "veltrane: the simulation stopped because of an internal error%s%s\n",
                         what.empty() ? "" : ": ", what.c_str());
            return ExitStatus::SimulationFailed;
        }
    }
}

bool HostedRun::finish() {
    if (finished_)
        return true;
    finished_ = true;
    bool ok = true;
    try {
        if (animation_) {
            ok = animation_->shutdown();
            if (frameReport_)
                frameReport_->print(animation_->frames(), animation_->ticks());
            animation_.reset();
        }
    } catch (...) {
        // A teardown that throws is a failed one; the host is closed anyway.
        NS_KernelExceptions::freeCurrentException();
        ok = false;
        animation_.reset();
    }
    overlay_.reset();
    host_.closeContext();
    host_.closeWindow();
    return ok;
}

} // namespace

ExitStatus runHosted(Host& host, const HostedSaver& saver) {
    HostedRun run(host, saver);
    return run.run();
}
