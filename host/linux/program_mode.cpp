#include "host/linux/program_mode.h"

#include <array>
#include <string_view>

namespace {
// Every option of --simulate, --snapshot and --record that is followed by a value.
constexpr std::array<std::string_view, 11> ValueOptions = {
    "--time",   "--seed", "--ticks",      "--every",   "--dump",    "--size",
    "--frames", "--from", "--max-frames", "--quality", "--frame-ms"};

bool takesValue(std::string_view arg) {
    for (std::string_view option : ValueOptions)
        if (arg == option)
            return true;
    return false;
}
} // namespace

ProgramMode chooseProgramMode(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--simulate")
            return ProgramMode::Simulate;
        if (arg == "--snapshot")
            return ProgramMode::Snapshot;
        if (arg == "--record")
            return ProgramMode::Record;
        if (takesValue(arg))
            ++i;
    }
    return ProgramMode::Interactive;
}
