#include "host/headless/option_values.h"
#include "host/headless/program_mode.h"
#include "host/headless/simulate_options.h"
#include "host/headless/snapshot_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

std::string parseSnapshot(const std::string& line, SnapshotOptions& options) {
    std::vector<std::string> args = words("veltrane " + line);
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    return parseSnapshotOptions(static_cast<int>(argv.size()), argv.data(), options);
}

bool simulateAccepts(const std::string& line) {
    SimulateOptions options;
    std::string error;
    return parseSimulateOptions(words(line), options, error);
}

bool snapshotAccepts(const std::string& line) {
    SnapshotOptions options;
    return parseSnapshot(line, options).empty();
}
} // namespace

TEST(OptionValues, TimesTakeAOneOrTwoDigitHourAndExactlyTwoMinuteDigits) {
    for (const auto& [text, hour, minute] : std::vector<std::tuple<const char*, int, int>>{
             {"0:00", 0, 0}, {"9:05", 9, 5}, {"09:05", 9, 5}, {"23:59", 23, 59}}) {
        const auto time = parseTimeOfDay(text);
        ASSERT_TRUE(time) << text;
        EXPECT_EQ(time->hour * 100 + time->minute, hour * 100 + minute) << text;
    }
    for (const char* bad :
         {"-0:05", "+1:05", "001:05", "0000000000000000000000012:00", "24:00", "12:60", "12:5",
          "12:005", "1205", ":05", "12:", " 1:05", "1:05 ", "1:-5", "1:+5", "١:05", ""})
        EXPECT_FALSE(parseTimeOfDay(bad)) << bad;
}

TEST(OptionValues, NumbersAreDigitsOnlyWithoutSignOrLeadingZeroWithinRange) {
    EXPECT_EQ(parseWholeNumber("0", 0, 5), 0);
    EXPECT_EQ(parseWholeNumber("1000000000000000000", 0, 1'000'000'000'000'000'000),
              1'000'000'000'000'000'000);
    EXPECT_EQ(parseSeed("4294967295"), 4294967295u);
    for (const char* bad : {"-0", "+0", "-1", "00", "007", " 7", "7 ", "7x", "0x10", "1e3", "",
                            "99999999999999999999", "9999999999999999999"})
        EXPECT_FALSE(parseWholeNumber(bad, 0, 1'000'000'000'000'000'000)) << bad;
    EXPECT_FALSE(parseWholeNumber("6", 0, 5));
    EXPECT_FALSE(parseWholeNumber("0", 1, 5));
    EXPECT_FALSE(parseSeed("4294967296"));
    EXPECT_FALSE(parseSeed("-0"));

    const auto size = parsePictureSize("320x200", 8192);
    ASSERT_TRUE(size);
    EXPECT_TRUE(size->width == 320 && size->height == 200);
    for (const char* bad : {"0x768", "1024x", "x768", "8193x10", "10X10", "10x10x10", "-1x5"})
        EXPECT_FALSE(parsePictureSize(bad, 8192)) << bad;
}

TEST(OptionValues, FileNamesNeverSwallowAnOptionAndStandardOutputOnlyWhereAllowed) {
    EXPECT_EQ(checkPathValue("--dump", "out.txt", true), "");
    EXPECT_EQ(checkPathValue("--dump", "./-odd", false), "");
    EXPECT_EQ(checkPathValue("--dump", "-", true), "");
    EXPECT_NE(checkPathValue("--frames", "-", false), "");
    EXPECT_NE(checkPathValue("--dump", "--simulate", true), "");
    EXPECT_NE(checkPathValue("--dump", "", true), "");
}

// One value is read the same way in every mode: what one refuses, all refuse.
TEST(HeadlessOptions, EveryModeRefusesTheSameMalformedValues) {
    for (const char* value :
         {"--time -0:05", "--time 001:05", "--time 0000000000000000000000012:00", "--time 24:00",
          "--seed -0", "--seed +7", "--seed 4294967296", "--ticks 0", "--ticks 012"}) {
        EXPECT_FALSE(simulateAccepts(std::string("--simulate ") + value)) << value;
        EXPECT_FALSE(snapshotAccepts(std::string("--snapshot a.png ") + value)) << value;
        EXPECT_FALSE(snapshotAccepts(std::string("--record a.webp ") + value)) << value;
    }
    EXPECT_TRUE(simulateAccepts("--simulate --time 9:05 --seed 0"));
    EXPECT_TRUE(snapshotAccepts("--snapshot a.png --time 9:05 --seed 0"));
}

TEST(HeadlessOptions, TheModeSwitchIsNeverTheValueOfAnOption) {
    EXPECT_EQ(chooseProgramMode(words("--time 12:34 --snapshot a.png")), ProgramMode::Snapshot);
    EXPECT_EQ(chooseProgramMode(words("--record a.webp --every 3")), ProgramMode::Record);
    EXPECT_EQ(chooseProgramMode(words("--root")), ProgramMode::Interactive);
    // The first switch decides; its parser then refuses the second one.
    EXPECT_EQ(chooseProgramMode(words("--simulate --snapshot a.png")), ProgramMode::Simulate);
    EXPECT_FALSE(simulateAccepts("--simulate --snapshot a.png"));
    EXPECT_FALSE(simulateAccepts("--simulate --simulate"));
    EXPECT_FALSE(snapshotAccepts("--snapshot a.png --record b.webp"));
    for (const char* option : {"--time", "--seed", "--ticks", "--every", "--dump", "--size",
                               "--frames", "--from", "--max-frames", "--quality", "--frame-ms"})
        for (const char* mode : {"--simulate", "--snapshot", "--record"})
            EXPECT_EQ(chooseProgramMode({option, mode}), ProgramMode::Interactive)
                << option << " " << mode;
    // Within a mode, a value that looks like an option is refused as a file name.
    EXPECT_FALSE(simulateAccepts("--simulate --dump --simulate"));
    EXPECT_FALSE(simulateAccepts("--simulate --dump --ascii"));
    EXPECT_FALSE(snapshotAccepts("--snapshot --frames --every 3"));
    EXPECT_FALSE(snapshotAccepts("--record --ticks 30"));
}

TEST(HeadlessOptions, SimulateTakesEitherAFixedTimeOrAVirtualDay) {
    SimulateOptions options;
    std::string error;
    ASSERT_TRUE(parseSimulateOptions(words("--simulate --from 23:59 --dump -"), options, error));
    ASSERT_TRUE(options.from);
    EXPECT_TRUE(options.from->hour == 23 && options.from->minute == 59 && !options.hour);
    EXPECT_EQ(options.dumpPath, "-");
    EXPECT_FALSE(simulateAccepts("--simulate --from 12:00 --time 12:00"));
    EXPECT_FALSE(simulateAccepts("--simulate --from 12:0"));
    EXPECT_FALSE(simulateAccepts("--time 12:00"));
}

TEST(HeadlessOptions, RecordAndSnapshotShareOptionsAndRecordEndsAtItsFrameLimit) {
    SnapshotOptions o;
    ASSERT_EQ(parseSnapshot("--snapshot - --ticks 5", o), "");
    EXPECT_TRUE(o.file == "-" && !o.record);

    ASSERT_EQ(parseSnapshot("--record r.webp --size 64x48 --ticks 100 --every 7 --time 1:02 "
                            "--seed 9 --quality 40",
                            o),
              "");
    EXPECT_TRUE(o.record && o.file == "r.webp" && o.width == 64 && o.every == 7 && o.quality == 40);
    EXPECT_EQ(o.ticksToRun(), 100);
    EXPECT_EQ(o.displayMilliseconds(), 7 * 30);

    ASSERT_EQ(parseSnapshot("--record - --ticks 1000 --every 10 --max-frames 4 --frame-ms 50", o),
              "");
    EXPECT_EQ(o.ticksToRun(), 40) << "the run ends with the 4th frame";
    EXPECT_EQ(o.displayMilliseconds(), 50);

    for (const char* bad :
         {"--record", "--record r.webp --ticks 5 --every 6", "--record r.webp --quality 101",
          "--record r.webp --frame-ms 0", "--snapshot a.png --quality 50",
          "--snapshot a.png --max-frames 3", "--snapshot a.png --frame-ms 10",
          "--record r.webp --ticks 100000000 --frame-ms 60000"})
        EXPECT_NE(parseSnapshot(bad, o), "") << bad;
}
