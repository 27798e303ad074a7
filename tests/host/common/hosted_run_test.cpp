#include "host/common/hosted_run.h"

#include "host/common/closing_rules.h"
#include "host/common/host.h"
#include "render/drawing_target.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

class NullTarget final : public DrawingTarget {
public:
    bool makeCurrent() override { return true; }
    void present() override {}
    void releaseCurrent() override {}
    int width() const override { return 640; }
    int height() const override { return 480; }
};

// A host whose events are scripted: pump number N runs events(N, rules).
class ScriptedHost final : public Host {
public:
    explicit ScriptedHost(Log& log) : log_(log) {}
    ExitStatus openStatus = ExitStatus::Ok;
    ExitStatus cannotDrawStatus = ExitStatus::NoOpenGl;
    std::function<std::optional<ExitStatus>(int, ClosingRules&)> events =
        [](int pump, ClosingRules& rules) -> std::optional<ExitStatus> {
        if (pump == 3)
            rules.keyPressed();
        return std::nullopt;
    };
    NullTarget target;

    bool signalDuringOpen = false;
    ExitStatus open(ClosingRules& rules) override {
        log_.push_back("open");
        if (signalDuringOpen)
            rules.signalled();
        return openStatus;
    }
    DrawingTarget& drawingTarget() override { return target; }
    std::optional<ExitStatus> pump(ClosingRules& rules, int) override {
        return events(pumps_++, rules);
    }
    ExitStatus cannotDraw() override {
        log_.push_back("cannotDraw");
        return cannotDrawStatus;
    }
    void closeContext() override { log_.push_back("closeContext"); }
    void closeWindow() override { log_.push_back("closeWindow"); }

private:
    Log& log_;
    int pumps_ = 0;
};

class ScriptedAnimation final : public Animation {
public:
    ScriptedAnimation(Log& log, DrawingTarget& target) : log_(log), target_(target) {
        log_.push_back("animation");
    }
    bool failing = false;
    bool blind = false;
    bool teardownFails = false;

    bool shutdown() override {
        log_.push_back("shutdown");
        return !teardownFails;
    }
    bool failed() const override { return failing; }
    std::string failureMessage() const override { return "a handler gave up"; }
    bool cannotDraw() const override { return blind; }
    std::int64_t frames() const override { return 7; }
    DrawingTarget& target() const { return target_; }

private:
    Log& log_;
    DrawingTarget& target_;
};

struct Outcome {
    ExitStatus status;
    std::string stderrText;
};

Outcome runWith(ScriptedHost& host, Log& log,
                const std::function<void(ScriptedAnimation&)>& adjust = {}, bool fps = false,
                DrawingTarget** seen = nullptr) {
    HostedSaver saver;
    saver.fps = fps;
    saver.animation = [&](DrawingTarget& target) -> std::unique_ptr<Animation> {
        auto animation = std::make_unique<ScriptedAnimation>(log, target);
        if (adjust)
            adjust(*animation);
        if (seen)
            *seen = &target;
        return animation;
    };
    testing::internal::CaptureStderr();
    const ExitStatus status = runHosted(host, saver);
    return {status, testing::internal::GetCapturedStderr()};
}

} // namespace

TEST(HostedRun, AClosingInputEndsTheRunAndTearsDownAnimationThenContextThenWindow) {
    Log log;
    ScriptedHost host(log);
    const Outcome outcome = runWith(host, log);
    EXPECT_EQ(outcome.status, ExitStatus::Ok);
    EXPECT_EQ(log, (Log{"open", "animation", "shutdown", "closeContext", "closeWindow"}));
    EXPECT_EQ(outcome.stderrText, "");
}

TEST(HostedRun, ASignalThatCutTheStartShortEndsTheRunBeforeTheAnimationAndIsNeverPumped) {
    Log log;
    ScriptedHost host(log);
    host.signalDuringOpen = true;
    host.events = [&](int, ClosingRules&) -> std::optional<ExitStatus> {
        log.push_back("pump");
        return std::nullopt;
    };
    EXPECT_EQ(runWith(host, log).status, ExitStatus::Ok);
    EXPECT_EQ(log, (Log{"open", "closeContext", "closeWindow"}));
}

TEST(HostedRun, AHostThatCannotOpenOrEndsTheRunKeepsItsStatusAndIsStillClosed) {
    Log log;
    ScriptedHost host(log);
    host.openStatus = ExitStatus::MissingProtocol;
    EXPECT_EQ(runWith(host, log).status, ExitStatus::MissingProtocol);
    EXPECT_EQ(log, (Log{"open", "closeContext", "closeWindow"}));

    Log lost;
    ScriptedHost losing(lost);
    losing.events = [](int pump, ClosingRules&) -> std::optional<ExitStatus> {
        return pump == 2 ? std::optional(ExitStatus::Environment) : std::nullopt;
    };
    EXPECT_EQ(runWith(losing, lost).status, ExitStatus::Environment);
    EXPECT_EQ(lost.back(), "closeWindow");
}

TEST(HostedRun, AFailedSimulationAndAFailedTeardownAreReportedOnceWithStatusThree) {
    Log log;
    ScriptedHost host(log);
    const Outcome failed = runWith(host, log, [](ScriptedAnimation& a) { a.failing = true; });
    EXPECT_EQ(failed.status, ExitStatus::SimulationFailed);
    EXPECT_EQ(failed.stderrText,
              "veltrane: the simulation stopped because of an internal error: a handler gave up\n");

    Log teardown;
    ScriptedHost closing(teardown);
    const Outcome badEnd =
        runWith(closing, teardown, [](ScriptedAnimation& a) { a.teardownFails = true; });
    EXPECT_EQ(badEnd.status, ExitStatus::SimulationFailed);
    EXPECT_EQ(badEnd.stderrText, "veltrane: the simulation failed while shutting down\n");
}

TEST(HostedRun, AContextThatCannotBeMadeCurrentIsTheHostsToExplain) {
    Log log;
    ScriptedHost host(log);
    host.cannotDrawStatus = ExitStatus::Ok; // say, the window went meanwhile
    EXPECT_EQ(runWith(host, log, [](ScriptedAnimation& a) { a.blind = true; }).status,
              ExitStatus::Ok);
    EXPECT_EQ(log,
              (Log{"open", "animation", "cannotDraw", "shutdown", "closeContext", "closeWindow"}));
}

TEST(HostedRun, AnUnexpectedErrorGivesTheScreenBackThenReportsStatusThree) {
    Log log;
    ScriptedHost host(log);
    HostedSaver saver;
    saver.animation = [](DrawingTarget&) -> std::unique_ptr<Animation> {
        throw std::runtime_error("cannot build");
    };
    testing::internal::CaptureStderr();
    EXPECT_EQ(runHosted(host, saver), ExitStatus::SimulationFailed);
    const std::string text = testing::internal::GetCapturedStderr();
    EXPECT_NE(text.find("unexpected error"), std::string::npos) << text;
    EXPECT_NE(text.find("cannot build"), std::string::npos) << text;
    EXPECT_EQ(log, (Log{"open", "closeContext", "closeWindow"}));
}

TEST(HostedRun, TheFrameRateOverlayWrapsTheHostsTargetOnlyWhenAskedFor) {
    for (bool fps : {false, true}) {
        Log log;
        ScriptedHost host(log);
        DrawingTarget* seen = nullptr;
        runWith(host, log, {}, fps, &seen);
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(seen == &host.target, !fps);
    }
}

TEST(HostedRun, TheFrameReportCountsTheAnimationsFramesWhenAskedFor) {
    Log log;
    ScriptedHost host(log);
    setenv("VELTRANE_REPORT_FRAMES", "1", 1);
    const Outcome outcome = runWith(host, log);
    unsetenv("VELTRANE_REPORT_FRAMES");
    EXPECT_EQ(outcome.stderrText.rfind("veltrane: 7 frames in ", 0), 0u) << outcome.stderrText;
}

TEST(HostedRun, TheFrameReportSaysWhenNoFrameWasDrawnBecauseNobodyCouldSeeIt) {
    Log log;
    ScriptedHost host(log);
    HostedSaver saver;
    struct Unseen final : Animation {
        bool shutdown() override { return true; }
        bool failed() const override { return false; }
        std::int64_t frames() const override { return 0; }
        std::int64_t ticks() const override { return 90; }
    };
    saver.animation = [](DrawingTarget&) -> std::unique_ptr<Animation> {
        return std::make_unique<Unseen>();
    };
    setenv("VELTRANE_REPORT_FRAMES", "1", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(runHosted(host, saver), ExitStatus::Ok);
    const std::string text = testing::internal::GetCapturedStderr();
    unsetenv("VELTRANE_REPORT_FRAMES");
    EXPECT_EQ(text.rfind("veltrane: no frames drawn in ", 0), 0u) << text;
    EXPECT_NE(text.find(", 90 ticks"), std::string::npos) << text;
}
