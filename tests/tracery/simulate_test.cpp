#include "host/headless/simulate_mode.h"
#include "host/headless/simulate_options.h"
#include "host/headless/simulate_report.h"
#include "kernel/object_index.h"
#include "tests/tracery/test_world.h"
#include "tracery/field_grid.h"
#include "tracery/generative_point.h"
#include "tracery/guiding_point.h"
#include "tracery/segment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using NS_ObjectIndex::ObjectIndex;

namespace {

bool parses(std::vector<std::string> args, SimulateOptions& options) {
    std::string error;
    const bool ok = parseSimulateOptions(args, options, error);
    EXPECT_EQ(ok, error.empty()) << error;
    return ok;
}

} // namespace

TEST(SimulateOptions, ReadsEveryOptionAndKeepsDefaults) {
    SimulateOptions defaults;
    ASSERT_TRUE(parses({"--simulate"}, defaults));
    EXPECT_FALSE(defaults.hour.has_value());
    EXPECT_FALSE(defaults.seed.has_value());
    EXPECT_EQ(defaults.ticks, 1000);
    EXPECT_EQ(defaults.every, 100);
    EXPECT_FALSE(defaults.ascii);
    EXPECT_TRUE(defaults.dumpPath.empty());

    SimulateOptions o;
    ASSERT_TRUE(parses({"--time", "9:05", "--seed", "4294967295", "--ticks", "3000", "--simulate",
                        "--every", "0", "--ascii", "--dump", "-"},
                       o));
    EXPECT_EQ(o.hour, 9);
    EXPECT_EQ(o.minute, 5);
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_EQ(o.ticks, 3000);
    EXPECT_EQ(o.every, 0);
    EXPECT_TRUE(o.ascii);
    EXPECT_EQ(o.dumpPath, "-");
    ASSERT_TRUE(parses({"--time", "23:59"}, o));
    EXPECT_EQ(o.hour, 23);
    ASSERT_TRUE(parses({"--time", "00:00"}, o));
    EXPECT_EQ(o.minute, 0);
}

TEST(SimulateOptions, RejectsBadArguments) {
    const std::vector<std::vector<std::string>> bad = {{"--bogus"},
                                                       {"extra"},
                                                       {"--time", "25:00"},
                                                       {"--time", "12:60"},
                                                       {"--time", "1234"},
                                                       {"--time", "12:5"},
                                                       {"--time", ":30"},
                                                       {"--time", "123:00"},
                                                       {"--time", "-1:00"},
                                                       {"--ticks", "-3"},
                                                       {"--ticks", "0"},
                                                       {"--ticks", "ten"},
                                                       {"--ticks", "12x"},
                                                       {"--ticks", " 12"},
                                                       {"--ticks", ""},
                                                       {"--every", "-1"},
                                                       {"--seed", "4294967296"},
                                                       {"--seed", "-1"},
                                                       {"--seed", "99999999999999999999"},
                                                       {"--ticks"},
                                                       {"--dump"},
                                                       {"--dump", ""},
                                                       {"--time"}};
    for (const auto& args : bad) {
        SimulateOptions options;
        std::string error;
        EXPECT_FALSE(parseSimulateOptions(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
    EXPECT_NE(std::string(simulateUsage()).find("--dump"), std::string::npos);
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
    const ObjectIndex bare = world.createObject()->self;   // uid 103: no tracery value
    const ObjectIndex lonely = world.createObject()->self; // uid 104, slot 4
    (void)bare;
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
    s.points.push_back(SegmentPoint{Vector2D(0.5, 0.125), ObjectIndex(), true});
    s.points.push_back(SegmentPoint{Vector2D(1.0 / 3.0, -0.0), guide, false});
    s.axis = Vector2D(1, 0);
    s.centre = Vector2D(0.25, 0.0625);
    s.thickness = 0.1;
    s.fresh = false;
    s.state = Segment_value::Withering;
    segments->setValue(stroke, &s);
    world.dispatch();

    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(writeWorldDump(file, world, 77));
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    ASSERT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
    std::fclose(file);

    EXPECT_EQ(text, "tick 77\n"
                    "S 100 0 2 0 0.10000000000000001 0.25 0.0625 1 0 2 "
                    "0.5 0.125 -1 1 0.33333333333333331 -0 101 0\n"
                    "G 101 1 0.10000000000000001 -0.25 0.75 0.001 -0.00025000000000000001 0 42 "
                    "104\n"
                    "P 102 2 0.5 0.125 1 3 101,100\n"
                    "P 104 4 0 0 0 5 -\n");
}

TEST(SimulateReport, AsciiFieldShowsLitCellsAndStrokes) {
    TestWorld world;
    world.add(new GenerativePoint(&world));
    world.add(new GuidingPoint(&world));
    auto* segments = world.add(new Segment(&world));
    FieldGrid::shared().clear();
    FieldGrid::shared().set(0, 38, 1.0); // top-left cell
    const ObjectIndex stroke = world.createObject()->self;
    segments->addAttribute(stroke);
    Segment_value s;
    s.points.push_back(SegmentPoint{Vector2D(-0.5, -0.7), ObjectIndex(), true});
    s.points.push_back(SegmentPoint{Vector2D(0.5, -0.7), ObjectIndex(), true});
    s.points.push_back(SegmentPoint{Vector2D(5.0, 5.0), ObjectIndex(), true}); // off the plane
    segments->setValue(stroke, &s);
    world.dispatch();

    const std::string text = renderAsciiField(world);
    FieldGrid::shared().clear();
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    ASSERT_EQ(lines.size(), 41u);
    for (const std::string& line : lines)
        ASSERT_EQ(line.size(), 102u);
    EXPECT_EQ(lines[1].substr(0, 4), "|.. ");
    // y = -0.7 lies in row 1, the second line from the bottom; x from -0.5 to
    // 0.5 spans characters 25 to 75.
    const std::string& strokeLine = lines[38];
    EXPECT_EQ(strokeLine.find('#'), 26u);
    EXPECT_EQ(strokeLine.rfind('#'), 76u);
    EXPECT_EQ(std::string(strokeLine.begin() + 26, strokeLine.begin() + 77), std::string(51, '#'));
}

namespace {
int runSimulate(std::vector<std::string> args) {
    args.insert(args.begin(), "veltrane");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    return runSimulateMode(static_cast<int>(argv.size()), argv.data());
}
} // namespace

TEST(SimulateMode, BadArgumentsExitWithOne) {
    EXPECT_EQ(runSimulate({"--simulate", "--time", "25:00"}), 1);
    EXPECT_EQ(runSimulate({"--simulate", "--ticks", "-3"}), 1);
    EXPECT_EQ(runSimulate({"--simulate", "--frobnicate"}), 1);
    EXPECT_EQ(runSimulate({"--simulate", "--ticks", "5", "--dump", "/nonexistent/dir/dump.txt"}),
              1);
}

TEST(SimulateMode, DumpFileHasOneWellFormedLinePerObject) {
    const std::string path = ::testing::TempDir() + "veltrane_simulate_dump.txt";
    ASSERT_EQ(runSimulate({"--simulate", "--time", "12:34", "--seed", "7", "--ticks", "400",
                           "--every", "0", "--dump", path}),
              0);
    std::ifstream in(path);
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "tick 400");
    long long previousUid = -1;
    int lines = 0;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        ASSERT_GE(w.size(), 3u) << line;
        const long long uid = std::stoll(w[1]);
        EXPECT_GT(uid, previousUid) << "ascending unique ids";
        previousUid = uid;
        if (w[0] == "G") {
            EXPECT_EQ(w.size(), 11u) << line;
        } else if (w[0] == "P") {
            EXPECT_EQ(w.size(), 8u) << line;
        } else {
            ASSERT_EQ(w[0], "S") << line;
            ASSERT_GE(w.size(), 11u) << line;
            const std::size_t n = std::stoul(w[10]);
            EXPECT_TRUE(n == 2 || n == 3) << line;
            EXPECT_EQ(w.size(), 11u + 4 * n) << line;
        }
        ++lines;
    }
    EXPECT_GT(lines, 50);
    in.close();
    std::remove(path.c_str());
}
