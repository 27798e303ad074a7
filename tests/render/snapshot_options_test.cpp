#include "host/headless/snapshot_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::string parse(const std::vector<const char*>& args, SnapshotOptions& options) {
    const char* argv[32] = {"veltrane"};
    std::size_t argc = 1;
    for (const char* a : args)
        argv[argc++] = a;
    return parseSnapshotOptions(static_cast<int>(argc), argv, options);
}
} // namespace

TEST(SnapshotOptions, DefaultsToThirtySecondsAtWindowSizeAndReadsOptionsInAnyOrder) {
    SnapshotOptions o;
    ASSERT_EQ(parse({"--snapshot", "out.png"}, o), "");
    EXPECT_EQ(o.file, "out.png");
    EXPECT_EQ(o.ticks, 900);
    EXPECT_EQ(o.width * 10000 + o.height, 1024 * 10000 + 768);
    EXPECT_FALSE(o.hour.has_value() || o.seed.has_value());

    ASSERT_EQ(parse({"--seed", "4294967295", "--snapshot", "a.png", "--time", "07:05", "--size",
                     "320x200", "--ticks", "12", "--frames", "dir", "--every", "3"},
                    o),
              "");
    EXPECT_EQ(o.file, "a.png");
    EXPECT_EQ(*o.seed, 4294967295LL);
    EXPECT_EQ(*o.hour, 7);
    EXPECT_EQ(*o.minute, 5);
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 200);
    EXPECT_EQ(o.ticks, 12);
    EXPECT_EQ(o.framesDir, "dir");
    EXPECT_EQ(o.every, 3);

    ASSERT_EQ(parse({"--snapshot", "--frames", "seq"}, o), "") << "frames alone need no file";
    EXPECT_TRUE(o.file.empty());
}

TEST(SnapshotOptions, RejectsMalformedOrOutOfRangeInput) {
    const std::vector<std::vector<const char*>> bad = {
        {"--snapshot"},
        {"out.png"},
        {"--snapshot", "a.png", "--snapshot", "b.png"},
        {"--snapshot", "a.png", "stray"},
        {"--snapshot", "a.png", "--bogus", "1"},
        {"--snapshot", "a.png", "--ticks"},
        {"--snapshot", "a.png", "--ticks", "0"},
        {"--snapshot", "a.png", "--ticks", "-5"},
        {"--snapshot", "a.png", "--ticks", "12abc"},
        {"--snapshot", "a.png", "--ticks", "999999999999999999999"},
        {"--snapshot", "a.png", "--size", "1024"},
        {"--snapshot", "a.png", "--size", "0x768"},
        {"--snapshot", "a.png", "--size", "1024x"},
        {"--snapshot", "a.png", "--size", "9000x100"},
        {"--snapshot", "a.png", "--size", "-4x3"},
        {"--snapshot", "a.png", "--time", "24:00"},
        {"--snapshot", "a.png", "--time", "12:60"},
        {"--snapshot", "a.png", "--time", "12:5"},
        {"--snapshot", "a.png", "--time", "1234"},
        {"--snapshot", "a.png", "--seed", "-1"},
        {"--snapshot", "a.png", "--seed", "4294967296"},
        {"--snapshot", "a.png", "--every", "2"},
        {"--snapshot", "--frames", "d", "--every", "0"},
    };
    for (const auto& args : bad) {
        SnapshotOptions o;
        std::string joined;
        for (const char* a : args)
            joined += std::string(a) + " ";
        EXPECT_NE(parse(args, o), "") << joined;
    }
}
