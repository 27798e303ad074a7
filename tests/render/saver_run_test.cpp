#include "render/drawing_target.h"
#include "render/saver_run.h"
#include "tracery/clock.h"
#include "tracery/field_grid.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

namespace {
// A target without a context: every bind is refused, so the Loader's GL calls
// go nowhere while the model runs on.
class CountingTarget final : public DrawingTarget {
public:
    std::atomic<int> binds{0};
    std::atomic<int> presents{0};
    std::atomic<int> releases{0};
    bool makeCurrent() override { return ++binds, false; }
    void present() override { ++presents; }
    void releaseCurrent() override { ++releases; }
    int width() const override { return 64; }
    int height() const override { return 48; }
};

SaverRunSetup virtualRun(DrawingTarget* target, std::int64_t ticks) {
    SaverRunSetup setup;
    setup.target = target;
    setup.options.pacing = NS_TimeService::Pacing::Virtual;
    setup.options.tickLimit = ticks;
    return setup;
}

void waitForEnd(SaverRun& run) {
    while (!run.waitUntilEnded(1000)) {
    }
}
} // namespace

TEST(SaverRun, AContextThatCannotBeBoundLeavesARunningBlackSaver) {
    CountingTarget target;
    FixedClock clock(12, 34, 7);
    SaverRunSetup setup = virtualRun(&target, 40);
    setup.clock = &clock;
    {
        SaverRun run(setup);
        EXPECT_NE(drawingTarget(), nullptr);
        EXPECT_EQ(&currentClock(), &clock);
        waitForEnd(run);
        EXPECT_FALSE(run.failed()) << run.failureMessage();
        EXPECT_TRUE(run.cannotDraw());
        EXPECT_EQ(run.ticks(), 40);
        EXPECT_EQ(target.presents.load(), 40);
        EXPECT_TRUE(run.finish());
        EXPECT_EQ(run.ticks(), 40);
        EXPECT_EQ(run.universe(), nullptr);
    }
    EXPECT_EQ(target.binds.load(), 1);
    EXPECT_EQ(target.releases.load(), 1);
    EXPECT_EQ(drawingTarget(), nullptr);
    EXPECT_NE(&currentClock(), &clock);
}

TEST(SaverRun, ASecondRunIsRefusedWhileOneIsLiveAndTheNextStartsFromADarkField) {
    CountingTarget first;
    CountingTarget second;
    {
        SaverRun run(virtualRun(&first, 20));
        EXPECT_THROW(SaverRun refused(virtualRun(&second, 20)), std::logic_error);
        waitForEnd(run);
        EXPECT_EQ(run.ticks(), 20);
        EXPECT_EQ(first.presents.load(), 20);
        EXPECT_EQ(second.binds.load() + second.presents.load(), 0);
    }
    // The first run's clock picture must not show through the next one.
    FieldGrid::shared().set(3, 4, 1.0);
    SaverRun next(virtualRun(&second, 0));
    waitForEnd(next);
    EXPECT_EQ(FieldGrid::shared().at(3, 4), 0.0);
    EXPECT_EQ(next.ticks(), 0);
}

TEST(SaverRun, AFailedThreadIsReportedAndStillLetsTheContextGo) {
    CountingTarget target;
    SaverRunSetup setup = virtualRun(&target, 1000);
    setup.options.onThreadStart = [] { throw std::runtime_error("no generator"); };
    int hostEnds = 0;
    setup.options.onThreadEnd = [&] { ++hostEnds; };
    SaverRun run(setup);
    waitForEnd(run);
    EXPECT_TRUE(run.failed());
    EXPECT_NE(run.failureMessage().find("no generator"), std::string::npos);
    EXPECT_TRUE(run.finish());
    EXPECT_TRUE(run.failed());
    EXPECT_EQ(hostEnds, 1);
    EXPECT_EQ(target.releases.load(), 1);
}
