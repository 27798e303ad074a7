#include "host/headless/snapshot_options.h"

#include "host/headless/option_values.h"

#include <algorithm>
#include <string_view>

const char* const snapshotUsage =
    "usage: veltrane --snapshot FILE.png [--ticks N] [--size WxH] [--time HH:MM]\n"
    "                [--seed S] [--frames DIR [--every K] [--max-frames N]]\n"
    "       veltrane --record FILE.webp [--ticks N] [--size WxH] [--time HH:MM]\n"
    "                [--seed S] [--every K] [--max-frames N] [--quality Q]\n"
    "                [--frame-ms MS]\n"
    "  FILE            '-' writes standard output\n"
    "  --ticks N       ticks to run (default 900, 30 s)\n"
    "  --size WxH      picture size, each side 1 to 8192 pixels (default 1024x768)\n"
    "  --time HH:MM    the time of day the clock shows (default: now)\n"
    "  --seed S        calendar seconds that seed the tracery, 0 to 4294967295\n"
    "                  (default: now)\n"
    "  --frames DIR    also write a frame every K ticks as DIR/frame_NNNNNN.png\n"
    "                  (FILE is then optional)\n"
    "  --every K       a frame every K ticks for --frames and --record (default 1)\n"
    "  --max-frames N  end the run once N frames are made\n"
    "  --quality Q     --record: lossy WebP quality, 0 to 100 (default 80)\n"
    "  --frame-ms MS   --record: how long a frame shows (default K x 30, real time)\n"
    "  --help          print this usage\n";

std::int64_t SnapshotOptions::ticksToRun() const {
    if (maxFrames > 0 && (record || !framesDir.empty()))
        return std::min(ticks, maxFrames * every);
    return ticks;
}

std::int64_t SnapshotOptions::displayMilliseconds() const {
    return frameMilliseconds.value_or(every * 30);
}

namespace {
// Next to --snapshot, the optional FILE: "-" or a word that is not an option.
bool isFileWord(std::string_view word) {
    return word == "-" || (!word.empty() && word[0] != '-');
}
} // namespace

std::string parseSnapshotOptions(int argc, const char* const* argv, SnapshotOptions& options) {
    options = SnapshotOptions{};
    bool sawSwitch = false;
    bool sawEvery = false;
    bool sawMaxFrames = false;
    bool sawRecordOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string_view value =
            hasValue ? std::string_view(argv[i + 1]) : std::string_view();
        if (arg == "--snapshot" || arg == "--record") {
            if (sawSwitch)
                return "only one of --snapshot and --record, once";
            sawSwitch = true;
            options.record = arg == "--record";
            if (hasValue && isFileWord(value)) {
                options.file = std::string(value);
                ++i;
            }
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (!arg.starts_with("--"))
            return "unexpected argument '" + std::string(arg) + "'";
        if (arg != "--ticks" && arg != "--size" && arg != "--time" && arg != "--seed" &&
            arg != "--frames" && arg != "--every" && arg != "--max-frames" && arg != "--quality" &&
            arg != "--frame-ms")
            return "unknown option '" + std::string(arg) + "'";
        if (!hasValue)
            return std::string(arg) + " needs a value";
        ++i;
        if (arg == "--ticks") {
            const auto ticks = parseWholeNumber(value, 1, snapshotMaxTicks);
            if (!ticks)
                return "--ticks wants a whole number from 1 to 100000000";
            options.ticks = *ticks;
        } else if (arg == "--size") {
            const auto size = parsePictureSize(value, snapshotMaxSide);
            if (!size)
                return "--size wants WxH, each from 1 to 8192 (e.g. 1024x768)";
            options.width = size->width;
            options.height = size->height;
        } else if (arg == "--time") {
            const auto time = parseTimeOfDay(value);
            if (!time)
                return "--time wants HH:MM with HH 0-23 and MM 00-59";
            options.hour = time->hour;
            options.minute = time->minute;
        } else if (arg == "--seed") {
            const auto seed = parseSeed(value);
            if (!seed)
                return "--seed wants a whole number from 0 to 4294967295";
            options.seed = *seed;
        } else if (arg == "--frames") {
            std::string problem = checkPathValue("--frames", value, false);
            if (!problem.empty())
                return problem;
            options.framesDir = std::string(value);
        } else if (arg == "--every") {
            sawEvery = true;
            const auto every = parseWholeNumber(value, 1, snapshotMaxTicks);
            if (!every)
                return "--every wants a whole number from 1 to 100000000";
            options.every = *every;
        } else if (arg == "--max-frames") {
            sawMaxFrames = true;
            const auto frames = parseWholeNumber(value, 1, snapshotMaxTicks);
            if (!frames)
                return "--max-frames wants a whole number from 1 to 100000000";
            options.maxFrames = *frames;
        } else if (arg == "--quality") {
            sawRecordOnly = true;
            const auto quality = parseWholeNumber(value, 0, 100);
            if (!quality)
                return "--quality wants a whole number from 0 to 100";
            options.quality = static_cast<int>(*quality);
        } else {
            sawRecordOnly = true;
            const auto milliseconds = parseWholeNumber(value, 1, 60'000);
            if (!milliseconds)
                return "--frame-ms wants a whole number from 1 to 60000";
            options.frameMilliseconds = *milliseconds;
        }
    }
    if (!sawSwitch)
        return "--snapshot or --record missing";
    if (options.help)
        return {};
    if (options.record && options.file.empty())
        return "--record wants a file name";
    const bool framesWanted = options.record || !options.framesDir.empty();
    if (sawEvery && !framesWanted)
        return "--every needs --frames";
    if (sawMaxFrames && !framesWanted)
        return "--max-frames needs --frames or --record";
    if (sawRecordOnly && !options.record)
        return "--quality and --frame-ms apply to --record only";
    if (options.file.empty() && options.framesDir.empty())
        return "no output file given";
    if (options.record && options.ticksToRun() < options.every)
        return "--record: no frame in the run (--every is larger than --ticks)";
    // WebP stamps are 32-bit milliseconds.
    if (options.record &&
        options.ticksToRun() / options.every * options.displayMilliseconds() > 2'000'000'000)
        return "--record: the animation would last longer than 23 days";
    return {};
}
