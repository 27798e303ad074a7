#include "host/app/command_line.h"
#include "host/app/option_values.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

SnapshotOptions parsed; // what snapshotAccepts read last

// True when the line is read, in the mode `mode`, without complaint.
bool acceptedAs(const std::string& line, ProgramMode mode) {
    const ParsedCommandLine result = parseCommandLine(words(line));
    if (result.options)
        parsed = result.options->snapshot;
    return result.options && result.options->mode == mode;
}

bool simulateAccepts(const std::string& line) {
    return acceptedAs(line, ProgramMode::Simulate);
}

bool snapshotAccepts(const std::string& line) {
    return acceptedAs(line, ProgramMode::Snapshot) || acceptedAs(line, ProgramMode::Record);
}
} // namespace

TEST(OptionValues, TimesTakeAOneOrTwoDigitHourAndExactlyTwoMinuteDigits) {
    for (const auto& [text, minutes] : std::vector<std::pair<const char*, int>>{
             {"0:00", 0}, {"9:05", 545}, {"09:05", 545}, {"23:59", 1439}}) {
        const auto time = parseTimeOfDay(text);
        EXPECT_TRUE(time && time->hour * 60 + time->minute == minutes) << text;
    }
    for (const char* bad :
         {"-0:05", "+1:05", "001:05", "0000000000000000000000012:00", "24:00", "12:60", "12:5",
          "12:005", "1205", ":05", "12:", " 1:05", "1:05 ", "1:-5", "1:+5", "١:05", ""})
        EXPECT_FALSE(parseTimeOfDay(bad)) << bad;
}

// Numbers, seeds, sizes and file names: no sign, no leading zero, no blank, within range, and
// a file name never swallows the next option.
TEST(OptionValues, NumbersAreDigitsOnlyWithoutSignOrLeadingZeroWithinRange) {
    constexpr std::int64_t high = 1'000'000'000'000'000'000;
    EXPECT_EQ(parseWholeNumber("0", 0, 5), 0);
    EXPECT_EQ(parseWholeNumber("1000000000000000000", 0, high), high);
    EXPECT_EQ(parseSeed("4294967295"), 4294967295u);
    for (const char* bad : {"-0", "+0", "-1", "00", "007", " 7", "7 ", "7x", "0x10", "1e3", "",
                            "99999999999999999999", "9999999999999999999"})
        EXPECT_FALSE(parseWholeNumber(bad, 0, high)) << bad;
    EXPECT_FALSE(parseWholeNumber("6", 0, 5) || parseWholeNumber("0", 1, 5));
    EXPECT_FALSE(parseSeed("4294967296") || parseSeed("-0"));

    const auto size = parsePictureSize("320x200", 8192);
    EXPECT_TRUE(size && size->width == 320 && size->height == 200);
    for (const char* bad : {"0x768", "1024x", "x768", "8193x10", "10X10", "10x10x10", "-1x5"})
        EXPECT_FALSE(parsePictureSize(bad, 8192)) << bad;

    EXPECT_EQ(checkPathValue("--dump", "./-odd", false) + checkPathValue("--dump", "-", true), "");
    for (const char* bad : {"-", "--simulate", ""})
        EXPECT_NE(checkPathValue("--frames", bad, false), "") << bad;
}

// One value is read the same way in every mode: what one refuses, all refuse.
TEST(HeadlessOptions, EveryModeRefusesTheSameMalformedValues) {
    for (const std::string value :
         {"--time -0:05", "--time 001:05", "--time 0000000000000000000000012:00", "--time 24:00",
          "--seed -0", "--seed +7", "--seed 4294967296", "--ticks 0", "--ticks 012"}) {
        EXPECT_FALSE(simulateAccepts("--simulate " + value)) << value;
        EXPECT_FALSE(snapshotAccepts("--snapshot a.png " + value)) << value;
        EXPECT_FALSE(snapshotAccepts("--record a.webp " + value)) << value;
    }
    EXPECT_TRUE(simulateAccepts("--simulate --time 9:05 --seed 0"));
    EXPECT_TRUE(snapshotAccepts("--snapshot a.png --time 9:05 --seed 0"));
}

TEST(HeadlessOptions, TheModeSwitchIsNeverTheValueOfAnOption) {
    EXPECT_EQ(chooseProgramMode(words("--time 12:34 --snapshot a.png")), ProgramMode::Snapshot);
    EXPECT_EQ(chooseProgramMode(words("--record a.webp --every 3")), ProgramMode::Record);
    EXPECT_EQ(chooseProgramMode(words("--root")), ProgramMode::Saver);
    // Only the headless options' values are skipped: this line is refused, it opens no window.
    EXPECT_EQ(chooseProgramMode(words("-delay --simulate")), ProgramMode::Simulate);
    // The first switch decides; its parser then refuses the second one.
    EXPECT_EQ(chooseProgramMode(words("--simulate --snapshot a.png")), ProgramMode::Simulate);
    for (const char* option : {"--time", "--seed", "--ticks", "--every", "--dump", "--size",
                               "--frames", "--from", "--max-frames", "--quality", "--frame-ms"})
        for (const char* mode : {"--simulate", "--snapshot", "--record"})
            EXPECT_EQ(chooseProgramMode({option, mode}), ProgramMode::Saver)
                << option << " " << mode;
    // Within a mode, a second switch or a value that looks like an option is refused.
    for (const char* bad : {"--simulate --snapshot a.png", "--simulate --simulate",
                            "--simulate --dump --simulate", "--simulate --dump --ascii"})
        EXPECT_FALSE(simulateAccepts(bad)) << bad;
    for (const char* bad : {"--snapshot a.png --record b.webp", "--snapshot a.png --snapshot b.png",
                            "--snapshot --frames --every 3", "--record --ticks 30"})
        EXPECT_FALSE(snapshotAccepts(bad)) << bad;
}

// Options in any order; a recording ends with its last frame; --from excludes --time, and what
// belongs to the other picture mode, or to none, is refused.
TEST(HeadlessOptions, RecordAndSnapshotShareOptionsAndRecordEndsAtItsFrameLimit) {
    const SnapshotOptions& o = parsed;
    ASSERT_TRUE(snapshotAccepts("--size 64x48 --record r.webp --ticks 100 --every 7 --time 07:05 "
                                "--seed 4294967295"));
    EXPECT_TRUE(o.record && o.file == "r.webp" && o.width == 64);
    EXPECT_TRUE(*o.hour == 7 && *o.minute == 5 && *o.seed == 4294967295);
    EXPECT_TRUE(o.ticksToRun() == 100 && o.displayMilliseconds() == 7 * 30);
    ASSERT_TRUE(snapshotAccepts("--record - --ticks 1000 --every 10 --max-frames 4 --frame-ms 50"));
    EXPECT_EQ(o.ticksToRun(), 40) << "the run ends with the 4th frame";
    EXPECT_EQ(o.displayMilliseconds(), 50);

    EXPECT_TRUE(snapshotAccepts("--snapshot --frames seq")) << "frames alone need no file";
    EXPECT_TRUE(simulateAccepts("--from 23:59 --dump - --simulate"));
    EXPECT_FALSE(simulateAccepts("--simulate --from 12:00 --time 12:00"));
    EXPECT_FALSE(simulateAccepts("--time 12:00"));
    for (const char* bad :
         {"--record", "--snapshot", "--snapshot a.png x", "--snapshot a.png --ticks",
          "--snapshot a.png --every 2", "--record r.webp --ticks 5 --every 6",
          "--record r.webp --quality 101", "--record r.webp --frame-ms 0",
          "--snapshot a.png --quality 50", "--snapshot a.png --max-frames 3",
          "--record r.webp --ticks 100000000 --frame-ms 60000"})
        EXPECT_FALSE(snapshotAccepts(bad)) << bad;
}
