#include "host/app/command_line.h"
#include "host/headless/simulate_report.h"
#include "host/headless/simulation.h"
#include "kernel/universe.h"
#include "tests/kernel/unique_id_counter.h"
#include "tests/tracery/test_world.h"
#include "tracery/clock.h"
#include "tracery/random.h"
#include "tracery/segment.h"
#include "tracery/tick_observer.h"
#include "tracery/tracery_handlers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using NS_ObjectIndex::ObjectIndex;
using World = NS_AttributeHandler::UniverseForHandler;

namespace {

std::string dumpText(World& world, std::int64_t ticks) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr || !writeWorldDump(file, world, ticks))
        return "dump failed";
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

// Runs the growth handlers on a virtual clock, calling `onTick` on the
// simulation thread after every tick.
void run(std::int64_t ticks, std::uint32_t seed,
         const std::function<void(World&, std::int64_t)>& onTick) {
    struct Model : NS_InitialModel::InitialModel {
        std::function<void(World&, std::int64_t)> onTick;
        void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
            appendTraceryHandlers(universe, list);
            World* world = universe;
            list.push_back(
                new TickObserver(world, [this, world](std::int64_t t) { onTick(*world, t); }));
        }
    } model;
    model.onTick = onTick;
    NS_Universe::Universe universe(
        model, {NS_TimeService::Pacing::Virtual, ticks, [seed] { seedRandom(seed); }, {}});
    while (!universe.waitUntilEnded(1000)) {
    }
    EXPECT_FALSE(universe.simulationFailed());
    EXPECT_EQ(universe.ticksRun(), ticks);
}

std::string dumpAfter(std::int64_t ticks, std::uint32_t seed) {
    const kernel_test::UniqueIdsFrom ids(1);
    std::string text;
    run(ticks, seed, [&](World& world, std::int64_t t) {
        if (t == ticks)
            text = dumpText(world, t);
    });
    return text;
}

// The exit status of `veltrane --simulate LINE`, as the program reaches it.
int runSimulate(const std::string& line) {
    std::istringstream in("--simulate " + line);
    const ParsedCommandLine parsed = parseCommandLine({std::istream_iterator<std::string>(in), {}});
    return exitCode(parsed.options ? runSimulation(parsed.options->simulate) : ExitStatus::Usage);
}

} // namespace

TEST(TraceryModel, SameSeedAndTimeGiveTheSameWorld) {
    FixedClock clock(12, 34, 0);
    ScopedClock useClock(clock);
    const std::string a = dumpAfter(3000, 7);
    ASSERT_GT(a.size(), 1000u);
    EXPECT_EQ(a, dumpAfter(3000, 7));
    EXPECT_NE(a, dumpAfter(3000, 8));
}

TEST(TraceryModel, LongRunStaysBounded) {
    FixedClock clock(10, 8, 0);
    ScopedClock useClock(clock);
    std::size_t maxGuides = 0;
    std::size_t maxObjects = 0;
    // Sanitizer builds run it shorter: the population levels off within the
    // first thousand ticks.
    run(VELTRANE_LONG_RUN_TICKS, 12345, [&](World& world, std::int64_t) {
        const auto& guides = dynamic_cast<GuidingPoint&>(*world.findHandler(L"GuidingPoint"));
        maxGuides = std::max(maxGuides, guides.members().size());
        std::size_t objects = 0;
        for (const wchar_t* name : {L"GuidingPoint", L"GenerativePoint", L"Segment"})
            objects +=
                dynamic_cast<ValueKeepingHandler&>(*world.findHandler(name)).members().size();
        maxObjects = std::max(maxObjects, objects);
    });
    // Roots stop at 500 guides; what already grows may branch on, but on the
    // clock picture only by the children of a few Steps.
    EXPECT_GT(maxGuides, 100u);
    EXPECT_LE(maxGuides, 700u);
    EXPECT_LT(maxObjects, 3000u);
}

TEST(SimulateMode, ADumpThatCannotBeWrittenEndsWithExitOne) {
    EXPECT_EQ(runSimulate("--ticks 5 --dump /no/such/dir/x"), 1);
}

TEST(SimulateReport, DumpListsObjectsByUniqueIdInTheExactLineFormat) {
    const kernel_test::UniqueIdsFrom ids(100);
    TestWorld world;
    auto* points = world.add(new GenerativePoint(&world));
    auto* guides = world.add(new GuidingPoint(&world));
    auto* segments = world.add(new Segment(&world));
    Segment_value s;
    s.points = {SegmentPoint{Vector2D(0.5, 0.125), ObjectIndex(), true},
                SegmentPoint{Vector2D(1.0 / 3.0, -0.0), ObjectIndex(), false}};
    s.axis = Vector2D(1, 0);
    s.centre = Vector2D(0.25, 0.0625);
    s.thickness = 0.1;
    s.fresh = false;
    s.state = Segment_value::Withering;
    const ObjectIndex stroke = world.put(segments, s); // uid 100, slot 0
    GuidingPoint_value g;
    g.position = Vector2D(0.1, -0.25);
    g.length = 0.75;
    g.velocity = Vector2D(1e-3, -2.5e-4);
    g.steps = 42;
    const ObjectIndex guide = world.put(guides, g); // uid 101, slot 1
    GenerativePoint_value p;
    p.position = Vector2D(0.5, 0.125);
    p.state = GenerativePoint_value::GuideEnd;
    p.countdown = 3;
    p.children = {guide, stroke};
    world.put(points, p);                                  // uid 102, slot 2
    world.createObject();                                  // uid 103: no tracery value
    const ObjectIndex lonely = world.createObject()->self; // uid 104, slot 4
    points->addAttribute(lonely);
    guides->valueOf(guide)->endPoint = lonely;
    segments->valueOf(stroke)->points[1].guide = guide;

    EXPECT_EQ(dumpText(world, 77),
              "tick 77\n"
              "S 100 0 2 0 0.10000000000000001 0.25 0.0625 1 0 2 "
              "0.5 0.125 -1 1 0.33333333333333331 -0 101 0\n"
              "G 101 1 0.10000000000000001 -0.25 0.75 0.001 -0.00025000000000000001 0 42 104\n"
              "P 102 2 0.5 0.125 1 3 101,100\n"
              "P 104 4 0 0 0 5 -\n");
}
