#include "host/headless/simulate_mode.h"
#include "host/headless/simulate_options.h"
#include "host/headless/simulate_report.h"
#include "tests/tracery/test_world.h"
#include "tracery/segment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using NS_ObjectIndex::ObjectIndex;

namespace {
int runSimulate(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    return runSimulateMode(static_cast<int>(argv.size()), argv.data());
}
} // namespace

TEST(SimulateMode, ParsesOptionsAndRejectsBadOnesWithExitOne) {
    SimulateOptions o;
    std::string error;
    ASSERT_TRUE(parseSimulateOptions({"--time", "9:05", "--seed", "4294967295", "--ticks", "3000",
                                      "--simulate", "--every", "0", "--ascii", "--dump", "-"},
                                     o, error));
    EXPECT_EQ(o.hour.value_or(-1) * 100 + o.minute.value_or(-1), 905);
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_EQ(o.ticks, 3000);
    EXPECT_EQ(o.every, 0);
    EXPECT_TRUE(o.ascii);
    EXPECT_EQ(o.dumpPath, "-");

    const std::vector<std::vector<std::string>> bad = {{"--bogus"},
                                                       {"extra"},
                                                       {"--time", "25:00"},
                                                       {"--time", "12:60"},
                                                       {"--time", "1234"},
                                                       {"--time", "12:5"},
                                                       {"--time", "-1:00"},
                                                       {"--ticks", "-3"},
                                                       {"--ticks", "0"},
                                                       {"--ticks", "ten"},
                                                       {"--ticks", " 12"},
                                                       {"--every", "-1"},
                                                       {"--seed", "4294967296"},
                                                       {"--seed", "99999999999999999999"},
                                                       {"--ticks"},
                                                       {"--dump", ""}};
    for (const auto& args : bad) {
        SimulateOptions options;
        std::string message;
        EXPECT_FALSE(parseSimulateOptions(args, options, message)) << args[0];
        EXPECT_FALSE(message.empty());
        std::vector<std::string> argv = {"veltrane", "--simulate"};
        argv.insert(argv.end(), args.begin(), args.end());
        EXPECT_EQ(runSimulate(argv), 1) << args[0];
    }
    EXPECT_EQ(runSimulate({"veltrane", "--simulate", "--ticks", "5", "--dump", "/no/such/dir/x"}),
              1);
}

TEST(SimulateReport, DumpListsObjectsByUniqueIdInTheExactLineFormat) {
    NS_ObjectIndex::ObjectIndex::setNextUniqueIdForTesting(100);
    TestWorld world;
    auto* points = world.add(new GenerativePoint(&world));
    auto* guides = world.add(new GuidingPoint(&world));
    auto* segments = world.add(new Segment(&world));
    const ObjectIndex stroke = world.createObject()->self; // uid 100, slot 0
    const ObjectIndex guide = world.createObject()->self;  // uid 101, slot 1
    const ObjectIndex point = world.createObject()->self;  // uid 102, slot 2
    world.createObject();                                  // uid 103: no tracery value
    const ObjectIndex lonely = world.createObject()->self; // uid 104, slot 4

    guides->addAttribute(guide);
    GuidingPoint_value g;
    g.position = Vector2D(0.1, -0.25);
    g.length = 0.75;
    g.velocity = Vector2D(1e-3, -2.5e-4);
    g.steps = 42;
    g.endPoint = lonely;
    guides->setValue(guide, &g);
    points->addAttribute(point);
    GenerativePoint_value p;
    p.position = Vector2D(0.5, 0.125);
    p.state = GenerativePoint_value::GuideEnd;
    p.countdown = 3;
    p.children = {guide, stroke};
    points->setValue(point, &p);
    points->addAttribute(lonely);
    segments->addAttribute(stroke);
    Segment_value s;
    s.points = {SegmentPoint{Vector2D(0.5, 0.125), ObjectIndex(), true},
                SegmentPoint{Vector2D(1.0 / 3.0, -0.0), guide, false}};
    s.axis = Vector2D(1, 0);
    s.centre = Vector2D(0.25, 0.0625);
    s.thickness = 0.1;
    s.fresh = false;
    s.state = Segment_value::Withering;
    segments->setValue(stroke, &s);

    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(writeWorldDump(file, world, 77));
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    EXPECT_EQ(text, "tick 77\n"
                    "S 100 0 2 0 0.10000000000000001 0.25 0.0625 1 0 2 "
                    "0.5 0.125 -1 1 0.33333333333333331 -0 101 0\n"
                    "G 101 1 0.10000000000000001 -0.25 0.75 0.001 -0.00025000000000000001 0 42 "
                    "104\n"
                    "P 102 2 0.5 0.125 1 3 101,100\n"
                    "P 104 4 0 0 0 5 -\n");
}
