// `veltrane --simulate ...`: the mode choice and the option parser on
// arbitrary command lines.
#include "host/linux/program_mode.h"
#include "host/headless/simulate_options.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = fuzzArguments(data, size);
    const ProgramMode mode = chooseProgramMode(args);
    SimulateOptions options;
    std::string error;
    if (!parseSimulateOptions(args, options, error)) {
        FUZZ_REQUIRE(!error.empty());
        return 0;
    }
    // A line this parser accepts is one the program gives to this mode.
    FUZZ_REQUIRE(mode == ProgramMode::Simulate);
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
