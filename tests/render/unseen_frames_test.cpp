#include "host/headless/egl_target.h"
#include "render/saver_run.h"
#include "tracery/clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {
// Mesa's software renderer, whatever GPU the machine has: the pictures are compared byte for
// byte. Set before any EGL call of this program.
const int softwareRendererOnly = setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);

using Pictures = std::map<std::int64_t, std::vector<std::uint8_t>>;

// An off-screen target seen all along except for ticks first..last (an empty span when last <
// first), as a saver behind a lock screen is. Ticks are numbered from 1 by the Loader's questions.
// For the chosen ticks it keeps the frame presented, and the buffer as it stood when the tick was
// asked about, before any GL call of that tick. Simulation thread; read once the run has ended.
class GatedTarget final : public DrawingTarget {
public:
    GatedTarget(EglTarget& egl, std::int64_t first, std::int64_t last,
                std::set<std::int64_t> chosen)
        : egl_(egl), first_(first), last_(last), chosen_(std::move(chosen)) {}

    Pictures presented;
    Pictures beforeAsked;
    std::vector<std::int64_t> presentedTicks;

    bool makeCurrent() override { return egl_.makeCurrent(); }
    bool frameWanted() override {
        keep(beforeAsked, ++ticks_);
        return ticks_ < first_ || ticks_ > last_;
    }
    void present() override {
        egl_.present();
        presentedTicks.push_back(ticks_);
        keep(presented, ticks_);
    }
    void releaseCurrent() override { egl_.releaseCurrent(); }
    int width() const override { return egl_.width(); }
    int height() const override { return egl_.height(); }

private:
    EglTarget& egl_;
    const std::int64_t first_, last_;
    const std::set<std::int64_t> chosen_;
    std::int64_t ticks_ = 0;

    void keep(Pictures& pictures, std::int64_t tick) {
        if (chosen_.count(tick) != 0)
            pictures[tick] = egl_.readRgb();
    }
};

// A 12:34, seed 7 run of 400 ticks on the virtual timer; the frames drawn as the run counts
// them.
std::int64_t run400(GatedTarget& target) {
    FixedClock clock(12, 34, 7);
    SaverRunSetup setup;
    setup.target = &target;
    setup.clock = &clock;
    setup.options.pacing = NS_TimeService::Pacing::Virtual;
    setup.options.tickLimit = 400;
    SaverRun run(setup);
    while (!run.waitUntilEnded(1000)) {
    }
    EXPECT_FALSE(run.failed()) << run.failureMessage();
    EXPECT_FALSE(run.cannotDraw());
    EXPECT_TRUE(run.finish());
    return run.framesDrawn();
}
} // namespace

// A saver unseen for ticks 100..300 draws and presents nothing then, and its frames after are
// those it would have shown had it been seen all along: the glow and the light took their
// generator draws in every unseen tick, and the first frame's strokes are lit by the light as
// the last unseen tick moved it.
TEST(UnseenFrames, AfterASpanNotWantedTheNextFramesAreThoseOfARunSeenAllAlong) {
    const std::set<std::int64_t> chosen{99, 301, 302, 400};
    std::string error;
    std::unique_ptr<EglTarget> seenEgl = EglTarget::create(320, 240, error);
    std::unique_ptr<EglTarget> hiddenEgl = EglTarget::create(320, 240, error);
    ASSERT_TRUE(seenEgl && hiddenEgl) << error;
    GatedTarget seen(*seenEgl, 1, 0, chosen);
    EXPECT_EQ(run400(seen), 400);
    GatedTarget hidden(*hiddenEgl, 100, 300, chosen);
    EXPECT_EQ(run400(hidden), 199);

    ASSERT_EQ(hidden.presentedTicks.size(), 199u);
    EXPECT_EQ(hidden.presentedTicks[98], 99);
    EXPECT_EQ(hidden.presentedTicks[99], 301) << "presented while not wanted";
    EXPECT_TRUE(hidden.beforeAsked[301] == hidden.presented[99]) << "drew while not wanted";
    // The picture moves, so the comparisons below say something.
    EXPECT_FALSE(seen.presented[301] == seen.presented[99]);
    for (std::int64_t tick : {301, 302, 400}) {
        ASSERT_EQ(hidden.presented.count(tick), 1u) << tick;
        EXPECT_TRUE(hidden.presented[tick] == seen.presented[tick]) << "tick " << tick;
    }
}
