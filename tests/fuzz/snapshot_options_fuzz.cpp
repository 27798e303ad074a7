// `veltrane --snapshot ...` and `veltrane --record ...`: the program's parser
// on arbitrary command lines, held to what it promises the picture modes.
#include "host/app/command_line.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = fuzzArguments(data, size);
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.options || parsed.options->help)
        return 0;
    const ProgramMode mode = parsed.options->mode;
    if (mode != ProgramMode::Snapshot && mode != ProgramMode::Record)
        return 0;
    const SnapshotOptions& options = parsed.options->snapshot;
    FUZZ_REQUIRE(mode == (options.record ? ProgramMode::Record : ProgramMode::Snapshot));
    FUZZ_REQUIRE(options.width >= 1 && options.width <= snapshotMaxSide && options.height >= 1 &&
                 options.height <= snapshotMaxSide);
    FUZZ_REQUIRE(options.every >= 1 && options.ticks >= 1);
    FUZZ_REQUIRE(options.ticksToRun() >= 1 && options.ticksToRun() <= options.ticks);
    FUZZ_REQUIRE(!options.file.empty() || !options.framesDir.empty());
    FUZZ_REQUIRE(options.file.empty() || options.file == "-" || options.file[0] != '-');
    if (options.record) {
        FUZZ_REQUIRE(!options.file.empty() && options.ticksToRun() >= options.every);
        FUZZ_REQUIRE(options.quality >= 0 && options.quality <= 100);
        FUZZ_REQUIRE(options.ticksToRun() / options.every * options.displayMilliseconds() <=
                     2'000'000'000);
    }
    if (options.hour)
        FUZZ_REQUIRE(*options.hour >= 0 && *options.hour <= 23 && options.minute &&
                     *options.minute >= 0 && *options.minute <= 59);
    if (options.seed)
        FUZZ_REQUIRE(*options.seed >= 0 && *options.seed <= 4294967295LL);
    return 0;
}
