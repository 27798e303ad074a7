#include "host/headless/simulate_report.h"
#include "kernel/object_index.h"
#include "kernel/universe.h"
#include "tracery/clock.h"
#include "tracery/field_grid.h"
#include "tracery/generative_field.h"
#include "tracery/guiding_point.h"
#include "tracery/random.h"
#include "tracery/segment.h"
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

// The growth handlers plus an observer called after every tick on the
// simulation thread.
class ObservedModel : public NS_InitialModel::InitialModel {
public:
    std::function<void(NS_AttributeHandler::UniverseForHandler&, std::int64_t)> onTick;

    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        appendTraceryHandlers(universe, list);
        NS_AttributeHandler::UniverseForHandler* world = universe;
        list.push_back(new TickObserver(world, [this, world](std::int64_t tick) {
            if (onTick)
                onTick(*world, tick);
        }));
    }
};

std::unique_ptr<NS_Universe::Universe> runFor(NS_InitialModel::InitialModel& model,
                                              std::int64_t ticks, std::uint32_t seed) {
    NS_Universe::RunOptions options;
    options.pacing = NS_TimeService::Pacing::Virtual;
    options.tickLimit = ticks;
    options.onThreadStart = [seed] { seedRandom(seed); };
    auto universe = std::make_unique<NS_Universe::Universe>(model, options);
    while (!universe->waitUntilEnded(1000)) {
    }
    EXPECT_FALSE(universe->simulationFailed());
    EXPECT_EQ(universe->ticksRun(), ticks);
    return universe;
}

std::string dumpAfter(std::int64_t ticks, std::uint32_t seed) {
    NS_ObjectIndex::ObjectIndex::setNextUniqueIdForTesting(1);
    TraceryModel model;
    auto universe = runFor(model, ticks, seed);
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (file == nullptr)
        return {};
    EXPECT_TRUE(writeWorldDump(file, *universe, universe->ticksRun()));
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
    std::fclose(file);
    return text;
}

template <class H> H& handlerOf(NS_AttributeHandler::UniverseForHandler& world) {
    return dynamic_cast<H&>(*world.findHandler(H::handlerName));
}

std::size_t allocatedBytes() {
#if defined(__GLIBC__)
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

} // namespace

TEST(TraceryModel, InstallsTheGrowthHandlersAndNoObjects) {
    TraceryModel model;
    NS_Universe::RunOptions options;
    options.pacing = NS_TimeService::Pacing::Virtual;
    options.tickLimit = 0;
    NS_Universe::Universe first(model, options);
    NS_Universe::Universe second(model, options);
    ASSERT_TRUE(first.waitUntilEnded(10000));
    ASSERT_TRUE(second.waitUntilEnded(10000));
    for (NS_Universe::Universe* u : {&first, &second}) {
        std::vector<NS_AttributesCollection::AttributesCollectionElement*> names;
        u->handlers.elements(names);
        std::vector<std::wstring> got;
        for (auto* element : names)
            got.push_back(element->name());
        EXPECT_EQ(got, (std::vector<std::wstring>{L"GenerativeField", L"GenerativePoint",
                                                  L"GuidingPoint", L"ObjectIndex", L"Segment"}));
        EXPECT_EQ(u->objectTable.liveCount(), 0u);
    }
    EXPECT_NE(first.findHandler(L"Segment"), second.findHandler(L"Segment"));
}

TEST(TraceryModel, SameSeedAndTimeGiveTheSameWorld) {
    FixedClock clock(12, 34, 0);
    ScopedClock useClock(clock);
    const std::string a = dumpAfter(3000, 7);
    const std::string b = dumpAfter(3000, 7);
    const std::string c = dumpAfter(3000, 8);
    ASSERT_GT(a.size(), 1000u);
    EXPECT_EQ(a.rfind("tick 3000\n", 0), 0u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST(TraceryModel, LongRunStaysBoundedAndStopsGrowingInMemory) {
    FixedClock clock(10, 8, 0);
    ScopedClock useClock(clock);
    ObservedModel model;
    std::size_t maxGuides = 0;
    std::size_t maxObjects = 0;
    std::int64_t ticksAtCap = 0;
    std::size_t bytesAfterWarmUp = 0;
    std::size_t maxBytesLater = 0;
    model.onTick = [&](NS_AttributeHandler::UniverseForHandler& world, std::int64_t tick) {
        const std::size_t guides = handlerOf<GuidingPoint>(world).members().size();
        maxGuides = std::max(maxGuides, guides);
        if (handlerOf<GenerativeField>(world).guidingPointCount() >= 500)
            ++ticksAtCap;
        auto& universe = dynamic_cast<NS_Universe::Universe&>(world);
        maxObjects = std::max(maxObjects, universe.objectTable.liveCount());
        if (tick == 20000)
            bytesAfterWarmUp = allocatedBytes();
        else if (tick > 20000 && tick % 1000 == 0)
            maxBytesLater = std::max(maxBytesLater, allocatedBytes());
    };
    auto universe = runFor(model, 100000, 12345);

    // The field stops planting at 500 guides; what is already growing can
    // still branch, but only by the children of a few Steps.
    EXPECT_LE(maxGuides, 700u);
    EXPECT_GT(maxGuides, 100u);
    EXPECT_LT(maxObjects, 3000u);
    std::printf("max guides %zu, max objects %zu, ticks at the cap %lld\n", maxGuides, maxObjects,
                static_cast<long long>(ticksAtCap));
    if (bytesAfterWarmUp != 0) {
        std::printf("heap in use after warm-up %zu, at most later %zu\n", bytesAfterWarmUp,
                    maxBytesLater);
        EXPECT_LT(maxBytesLater, bytesAfterWarmUp + 2 * 1024 * 1024);
    }
}

TEST(TraceryModel, MinuteChangeAndMidnightRepaintTheField) {
    FixedClock clock(23, 58, 0);
    ScopedClock useClock(clock);
    ObservedModel model;
    std::int32_t shownAt60[2] = {-1, -1};
    model.onTick = [&](NS_AttributeHandler::UniverseForHandler& world, std::int64_t tick) {
        GenerativeField* field = &handlerOf<GenerativeField>(world);
        if (tick == 50)
            clock.setTime(23, 59);
        if (tick == 60) {
            shownAt60[0] = field->shownHour();
            shownAt60[1] = field->shownMinute();
        }
        if (tick == 100)
            clock.setTime(0, 0);
    };
    auto universe = runFor(model, 150, 1);
    EXPECT_EQ(shownAt60[0], 23);
    EXPECT_EQ(shownAt60[1], 59);
    GenerativeField* field = &handlerOf<GenerativeField>(*universe);
    EXPECT_EQ(field->paintCount(), 3);
    EXPECT_EQ(field->shownHour(), 0);
    EXPECT_EQ(field->shownMinute(), 0);

    // The grid now holds exactly what painting 00:00 gives.
    FieldGrid painted = FieldGrid::shared();
    field->setShownTime(0, 0);
    field->paintClock();
    for (int c = 0; c < FieldGrid::Columns; ++c)
        for (int r = 0; r < FieldGrid::Rows; ++r)
            ASSERT_EQ(painted.at(c, r), FieldGrid::shared().at(c, r)) << c << ", " << r;
}
