#include "host/headless/simulate_options.h"

#include <cstddef>
#include <limits>

namespace {

// Plain decimal digits only: no sign, no spaces, no suffix; within [low, high].
bool parseNumber(const std::string& text, std::uint64_t low, std::uint64_t high,
                 std::uint64_t& out) {
    if (text.empty() || text.size() > 19)
        return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value < low || value > high)
        return false;
    out = value;
    return true;
}

// "H:MM" or "HH:MM", 00:00 to 23:59.
bool parseTime(const std::string& text, int& hour, int& minute) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() - colon != 3)
        return false;
    std::uint64_t h = 0;
    std::uint64_t m = 0;
    if (!parseNumber(text.substr(0, colon), 0, 23, h) ||
        !parseNumber(text.substr(colon + 1), 0, 59, m))
        return false;
    hour = static_cast<int>(h);
    minute = static_cast<int>(m);
    return true;
}

constexpr std::uint64_t MaxTicks = std::uint64_t{1} << 40;

} // namespace

const char* simulateUsage() {
    return "usage: veltrane --simulate [--time HH:MM] [--seed S] [--ticks N] [--every K]\n"
           "                           [--ascii] [--dump FILE|-]\n"
           "  --time HH:MM  local time of day the clock shows (default: the real time)\n"
           "  --seed S      generator seed, 0 to 4294967295 (default: the calendar time)\n"
           "  --ticks N     ticks to run, at least 1 (default 1000)\n"
           "  --every K     progress line every K ticks, 0 for none (default 100)\n"
           "  --ascii       print the clock field with the strokes over it at the end\n"
           "  --dump FILE   write the world at the end to FILE ('-': standard output)\n";
}

bool parseSimulateOptions(const std::vector<std::string>& args, SimulateOptions& options,
                          std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--simulate")
            continue;
        if (arg == "--ascii") {
            options.ascii = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        const bool takesValue = arg == "--time" || arg == "--seed" || arg == "--ticks" ||
                                arg == "--every" || arg == "--dump";
        if (!takesValue) {
            error = "unknown option '" + arg + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = "option " + arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        std::uint64_t number = 0;
        if (arg == "--time") {
            int hour = 0;
            int minute = 0;
            if (!parseTime(value, hour, minute)) {
                error = "--time wants HH:MM between 00:00 and 23:59, not '" + value + "'";
                return false;
            }
            options.hour = hour;
            options.minute = minute;
        } else if (arg == "--seed") {
            if (!parseNumber(value, 0, std::numeric_limits<std::uint32_t>::max(), number)) {
                error = "--seed wants a whole number from 0 to 4294967295, not '" + value + "'";
                return false;
            }
            options.seed = static_cast<std::uint32_t>(number);
        } else if (arg == "--ticks") {
            if (!parseNumber(value, 1, MaxTicks, number)) {
                error = "--ticks wants a whole number of at least 1, not '" + value + "'";
                return false;
            }
            options.ticks = static_cast<std::int64_t>(number);
        } else if (arg == "--every") {
            if (!parseNumber(value, 0, MaxTicks, number)) {
                error = "--every wants a whole number of at least 0, not '" + value + "'";
                return false;
            }
            options.every = static_cast<std::int64_t>(number);
        } else {
            if (value.empty()) {
                error = "--dump wants a file name or '-'";
                return false;
            }
            options.dumpPath = value;
        }
    }
    return true;
}
