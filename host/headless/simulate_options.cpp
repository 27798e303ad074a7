#include "host/headless/simulate_options.h"

#include <cstddef>

namespace {
constexpr std::int64_t MaxTicks = std::int64_t{1} << 40;
} // namespace

const char* simulateUsage() {
    return "usage: veltrane --simulate [--time HH:MM | --from HH:MM] [--seed S] [--ticks N]\n"
           "                           [--every K] [--ascii] [--dump FILE|-]\n"
           "  --time HH:MM  local time of day the clock shows (default: the real time)\n"
           "  --from HH:MM  a virtual day: the clock starts at HH:MM and advances\n"
           "                exactly 30 ms per tick\n"
           "  --seed S      generator seed, 0 to 4294967295 (default: the calendar time)\n"
           "  --ticks N     ticks to run, at least 1 (default 1000)\n"
           "  --every K     progress line every K ticks, 0 for none (default 100)\n"
           "  --ascii       print the clock field with the strokes over it at the end\n"
           "  --dump FILE   write the world at the end to FILE ('-': standard output)\n"
           "  --help        print this usage\n";
}

bool parseSimulateOptions(const std::vector<std::string>& args, SimulateOptions& options,
                          std::string& error) {
    bool sawSwitch = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--simulate") {
            if (sawSwitch) {
                error = "--simulate given twice";
                return false;
            }
            sawSwitch = true;
            continue;
        }
        if (arg == "--ascii") {
            options.ascii = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        const bool takesValue = arg == "--time" || arg == "--from" || arg == "--seed" ||
                                arg == "--ticks" || arg == "--every" || arg == "--dump";
        if (!takesValue) {
            error = "unknown option '" + arg + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = "option " + arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--time" || arg == "--from") {
            const auto time = parseTimeOfDay(value);
            if (!time) {
                error = arg + " wants HH:MM between 00:00 and 23:59, not '" + value + "'";
                return false;
            }
            if (arg == "--time") {
                options.hour = time->hour;
                options.minute = time->minute;
            } else {
                options.from = time;
            }
        } else if (arg == "--seed") {
            const auto seed = parseSeed(value);
            if (!seed) {
                error = "--seed wants a whole number from 0 to 4294967295, not '" + value + "'";
                return false;
            }
            options.seed = *seed;
        } else if (arg == "--ticks" || arg == "--every") {
            const auto number = parseWholeNumber(value, arg == "--ticks" ? 1 : 0, MaxTicks);
            if (!number) {
                error = arg + " wants a whole number of at least " +
                        (arg == "--ticks" ? "1" : "0") + ", not '" + value + "'";
                return false;
            }
            (arg == "--ticks" ? options.ticks : options.every) = *number;
        } else {
            error = checkPathValue("--dump", value, true);
            if (!error.empty())
                return false;
            options.dumpPath = value;
        }
    }
    if (!sawSwitch) {
        error = "--simulate missing";
        return false;
    }
    if (options.from && options.hour) {
        error = "--time and --from exclude each other";
        return false;
    }
    return true;
}
