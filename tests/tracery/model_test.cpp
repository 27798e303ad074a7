#include "host/headless/simulate_report.h"
#include "kernel/universe.h"
#include "tracery/clock.h"
#include "tracery/guiding_point.h"
#include "tracery/random.h"
#include "tracery/tick_observer.h"
#include "tracery/tracery_handlers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

using World = NS_AttributeHandler::UniverseForHandler;

// The growth handlers plus a call after every tick, on the simulation thread.
class ObservedModel : public NS_InitialModel::InitialModel {
public:
    std::function<void(World&, std::int64_t)> onTick = [](World&, std::int64_t) {};

    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        appendTraceryHandlers(universe, list);
        World* world = universe;
        list.push_back(
            new TickObserver(world, [this, world](std::int64_t t) { onTick(*world, t); }));
    }
};

std::unique_ptr<NS_Universe::Universe> run(NS_InitialModel::InitialModel& model, std::int64_t ticks,
                                           std::uint32_t seed) {
    auto universe = std::make_unique<NS_Universe::Universe>(
        model, NS_Universe::RunOptions{NS_TimeService::Pacing::Virtual, ticks,
                                       [seed] { seedRandom(seed); }});
    while (!universe->waitUntilEnded(1000)) {
    }
    EXPECT_FALSE(universe->simulationFailed());
    EXPECT_EQ(universe->ticksRun(), ticks);
    return universe;
}

std::string dumpAfter(std::int64_t ticks, std::uint32_t seed) {
    NS_ObjectIndex::ObjectIndex::setNextUniqueIdForTesting(1);
    TraceryModel model;
    auto universe = run(model, ticks, seed);
    std::FILE* file = std::tmpfile();
    if (file == nullptr || !writeWorldDump(file, *universe, ticks))
        return "dump failed";
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

template <class H> H& handlerOf(World& world) {
    return dynamic_cast<H&>(*world.findHandler(H::handlerName));
}

} // namespace

TEST(TraceryModel, SameSeedAndTimeGiveTheSameWorld) {
    FixedClock clock(12, 34, 0);
    ScopedClock useClock(clock);
    const std::string a = dumpAfter(3000, 7);
    ASSERT_GT(a.size(), 1000u);
    EXPECT_EQ(a.rfind("tick 3000\n", 0), 0u);
    EXPECT_EQ(a, dumpAfter(3000, 7));
    EXPECT_NE(a, dumpAfter(3000, 8));
}

TEST(TraceryModel, LongRunStaysBoundedAndItsHeapStopsGrowing) {
    FixedClock clock(10, 8, 0);
    ScopedClock useClock(clock);
    ObservedModel model;
    std::size_t maxGuides = 0;
    std::size_t maxObjects = 0;
    std::size_t heapAfterWarmUp = 0;
    std::size_t maxHeapLater = 0;
    model.onTick = [&](World& world, std::int64_t tick) {
        maxGuides = std::max(maxGuides, handlerOf<GuidingPoint>(world).members().size());
        maxObjects = std::max(maxObjects,
                              dynamic_cast<NS_Universe::Universe&>(world).objectTable.liveCount());
#if defined(__GLIBC__)
        if (tick == 20000)
            heapAfterWarmUp = mallinfo2().uordblks;
        else if (tick > 20000 && tick % 1000 == 0)
            maxHeapLater = std::max(maxHeapLater, mallinfo2().uordblks);
#else
        (void)tick;
#endif
    };
    run(model, 100000, 12345);
    // Roots stop at 500 guides; what already grows may branch on, but on the
    // clock picture only by the children of a few Steps.
    EXPECT_GT(maxGuides, 100u);
    EXPECT_LE(maxGuides, 700u);
    EXPECT_LT(maxObjects, 3000u);
    if (heapAfterWarmUp != 0) {
        EXPECT_LT(maxHeapLater, heapAfterWarmUp + 2 * 1024 * 1024);
    }
}
