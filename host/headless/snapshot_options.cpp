#include "host/headless/snapshot_options.h"

#include <charconv>
#include <cstring>
#include <string_view>

const char* const snapshotUsage =
    "usage: veltrane --snapshot FILE.png [--ticks N] [--size WxH] [--time HH:MM] [--seed S]\n"
    "                [--frames DIR [--every K]]\n"
    "  --ticks N     ticks to run before the picture is taken (default 900, 30 s)\n"
    "  --size WxH    picture size in pixels (default 1024x768)\n"
    "  --time HH:MM  the time of day the clock shows (default: now)\n"
    "  --seed S      calendar seconds that seed the tracery (default: now)\n"
    "  --frames DIR  also write every K-th frame as DIR/frame_NNNNNN.png (FILE optional)\n"
    "  --every K     with --frames: the frame interval (default 1)\n";

namespace {
// A whole decimal number within [low, high]; nothing else may follow it.
bool parseNumber(std::string_view text, std::int64_t low, std::int64_t high, std::int64_t& out) {
    if (text.empty())
        return false;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

bool parseSize(std::string_view text, int& width, int& height) {
    const std::size_t x = text.find('x');
    std::int64_t w = 0;
    std::int64_t h = 0;
    if (x == std::string_view::npos || !parseNumber(text.substr(0, x), 1, snapshotMaxSide, w) ||
        !parseNumber(text.substr(x + 1), 1, snapshotMaxSide, h))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool parseTime(std::string_view text, std::optional<int>& hour, std::optional<int>& minute) {
    const std::size_t colon = text.find(':');
    std::int64_t h = 0;
    std::int64_t m = 0;
    if (colon == std::string_view::npos || text.size() - colon - 1 != 2 ||
        !parseNumber(text.substr(0, colon), 0, 23, h) ||
        !parseNumber(text.substr(colon + 1), 0, 59, m))
        return false;
    hour = static_cast<int>(h);
    minute = static_cast<int>(m);
    return true;
}
} // namespace

std::string parseSnapshotOptions(int argc, const char* const* argv, SnapshotOptions& options) {
    options = SnapshotOptions{};
    bool sawSwitch = false;
    bool sawEvery = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string_view value =
            hasValue ? std::string_view(argv[i + 1]) : std::string_view();
        if (arg == "--snapshot") {
            if (sawSwitch)
                return "--snapshot given twice";
            sawSwitch = true;
            if (hasValue && !value.starts_with("--")) {
                options.file = std::string(value);
                ++i;
            }
            continue;
        }
        if (!arg.starts_with("--"))
            return "unexpected argument '" + std::string(arg) + "'";
        if (arg != "--ticks" && arg != "--size" && arg != "--time" && arg != "--seed" &&
            arg != "--frames" && arg != "--every")
            return "unknown option '" + std::string(arg) + "'";
        if (!hasValue)
            return std::string(arg) + " needs a value";
        ++i;
        if (arg == "--ticks") {
            if (!parseNumber(value, 1, snapshotMaxTicks, options.ticks))
                return "--ticks wants a whole number from 1 to 100000000";
        } else if (arg == "--size") {
            if (!parseSize(value, options.width, options.height))
                return "--size wants WxH, each from 1 to 8192 (e.g. 1024x768)";
        } else if (arg == "--time") {
            if (!parseTime(value, options.hour, options.minute))
                return "--time wants HH:MM with HH 0-23 and MM 00-59";
        } else if (arg == "--seed") {
            std::int64_t seed = 0;
            if (!parseNumber(value, 0, 4294967295LL, seed))
                return "--seed wants a whole number from 0 to 4294967295";
            options.seed = seed;
        } else if (arg == "--frames") {
            if (value.empty())
                return "--frames wants a directory";
            options.framesDir = std::string(value);
        } else {
            sawEvery = true;
            if (!parseNumber(value, 1, snapshotMaxTicks, options.every))
                return "--every wants a whole number from 1 to 100000000";
        }
    }
    if (!sawSwitch)
        return "--snapshot missing";
    if (sawEvery && options.framesDir.empty())
        return "--every needs --frames";
    if (options.file.empty() && options.framesDir.empty())
        return "no output file given";
    return {};
}
