// `veltrane --simulate ...`: the program's parser on arbitrary command lines,
// held to what it promises the simulate mode.
#include "host/app/command_line.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = fuzzArguments(data, size);
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.options) {
        FUZZ_REQUIRE(!parsed.error.empty());
        return 0;
    }
    // The parser reads a line in the mode the mode choice gives it.
    FUZZ_REQUIRE(parsed.options->mode == chooseProgramMode(args));
    if (parsed.options->mode != ProgramMode::Simulate)
        return 0;
    const SimulateOptions& options = parsed.options->simulate;
    FUZZ_REQUIRE(options.ticks >= 1 && options.every >= 0);
    FUZZ_REQUIRE(options.hour.has_value() == options.minute.has_value());
    FUZZ_REQUIRE(!(options.hour && options.from));
    if (options.hour)
        FUZZ_REQUIRE(*options.hour >= 0 && *options.hour <= 23 && *options.minute >= 0 &&
                     *options.minute <= 59);
    if (options.from)
        FUZZ_REQUIRE(options.from->hour >= 0 && options.from->hour <= 23 &&
                     options.from->minute >= 0 && options.from->minute <= 59);
    FUZZ_REQUIRE(options.dumpPath.empty() || options.dumpPath == "-" || options.dumpPath[0] != '-');
    return 0;
}
