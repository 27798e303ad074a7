// The option table as the program reads it: every row reachable, every option
// shown, and each mode's spelling rules.
#include "host/app/command_line.h"
#include "host/app/option_table.h"
#include "host/app/usage_text.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <sstream>

namespace {
constexpr ProgramMode everyMode[] = {ProgramMode::Saver, ProgramMode::Simulate,
                                     ProgramMode::Snapshot, ProgramMode::Record};

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

// The words of a text, without the punctuation that follows them.
std::set<std::string> wordSet(const std::string& text) {
    std::set<std::string> set;
    for (std::string word : words(text)) {
        while (!word.empty() && std::string_view(",.:;)").find(word.back()) != std::string::npos)
            word.pop_back();
        set.insert(word);
    }
    return set;
}

bool accepted(const std::string& line) {
    return parseCommandLine(words(line)).options.has_value();
}
} // namespace

// A row that another row of the same mode shadows would never be read.
TEST(OptionTable, EveryRowIsWhatItsSpellingFindsInEachOfItsModes) {
    for (const OptionSpec& spec : optionTable())
        for (ProgramMode mode : everyMode) {
            if ((spec.modes & modeBit(mode)) == 0)
                continue;
            EXPECT_EQ(findOption("--" + std::string(spec.name), mode), &spec) << spec.name;
            if (spec.shortName != 0) {
                EXPECT_EQ(findOption(std::string("-") + spec.shortName, mode), &spec);
            }
        }
}

TEST(OptionTable, EachModeListsEveryOptionItReadsWithinEightyColumns) {
    for (ProgramMode mode : everyMode) {
        const std::string usage = modeUsage(mode);
        const std::set<std::string> shown = wordSet(usage);
        for (const OptionSpec& spec : optionTable()) {
            if ((spec.modes & modeBit(mode)) == 0)
                continue;
            // The ignored XScreenSaver options are listed as its hacks write them.
            const std::string dashes = spec.role == OptionRole::Ignored ? "-" : "--";
            EXPECT_TRUE(shown.contains(dashes + std::string(spec.name)))
                << spec.name << " missing from\n"
                << usage;
        }
        std::istringstream lines(usage);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LE(line.size(), 79u) << line;
    }
    const std::string all = programUsage();
    for (ProgramMode mode : everyMode)
        EXPECT_NE(all.find(modeUsage(mode)), std::string::npos);
}

TEST(CommandLine, SaverOptionsTakeOneOrTwoDashesHeadlessOnesTwo) {
    for (const char* line : {"-fps", "--fps", "-x11", "--wayland", "-geometry 9x9", "--h"})
        EXPECT_TRUE(accepted(line)) << line;
    for (const char* line :
         {"--simulate -ticks 5", "--simulate --h", "--simulate -help", "--snapshot a.png -size 9x9",
          "--simulate --fps", "--snapshot a.png --wayland", "--simulate --version", "--time 1:00"})
        EXPECT_FALSE(accepted(line)) << line;
    EXPECT_TRUE(accepted("--simulate -h") && accepted("--record -h"));
}

// The usage may be asked for with values that a run would refuse, but not with
// values that are malformed.
TEST(CommandLine, HeadlessHelpSkipsThePictureChecksButNotTheValues) {
    const auto help = parseCommandLine(words("--record --help"));
    ASSERT_TRUE(help.options);
    EXPECT_TRUE(help.options->help && help.options->mode == ProgramMode::Record);
    EXPECT_FALSE(accepted("--snapshot --help --ticks 0"));
    EXPECT_FALSE(accepted("--simulate --help --from 1:00 --time 1:00"));
    // Each error names what is wrong.
    EXPECT_NE(parseCommandLine(words("--simulate --ticks")).error.find("--ticks"),
              std::string::npos);
    EXPECT_NE(parseCommandLine(words("--simulate --ticks 0")).error.find("'0'"), std::string::npos);
}

TEST(CommandLine, SimulateReadsItsOptionsAnywhereOnTheLineAndRefusesWhatItDoesNotKnow) {
    const ParsedCommandLine parsed =
        parseCommandLine({"--time", "9:05", "--seed", "4294967295", "--ticks", "3000", "--simulate",
                          "--every", "0", "--ascii", "--dump", "-"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const SimulateOptions& o = parsed.options->simulate;
    EXPECT_EQ(o.hour.value_or(-1) * 100 + o.minute.value_or(-1), 905);
    EXPECT_TRUE(o.seed == 4294967295u && o.ticks == 3000 && o.every == 0 && o.ascii);
    EXPECT_EQ(o.dumpPath, "-");
    // Values themselves are checked by the shared parsers (OptionValues tests).
    for (const char* bad : {"--bogus", "extra", "--every -1", "--ticks"}) {
        const ParsedCommandLine refused = parseCommandLine(words(std::string("--simulate ") + bad));
        EXPECT_FALSE(refused.options) << bad;
        EXPECT_FALSE(refused.error.empty()) << bad;
    }
}
