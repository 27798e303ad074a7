#include "host/app/command_line.h"

#include "host/app/option_table.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array headlessModeList = {ProgramMode::Simulate, ProgramMode::Snapshot,
                                         ProgramMode::Record};
// The modes a switch chooses; without one the line is the saver's.
constexpr std::array switchedModeList = {ProgramMode::Simulate, ProgramMode::Snapshot,
                                         ProgramMode::Record, ProgramMode::Watch,
                                         ProgramMode::Autostart};

bool isNumberWord(std::string_view word) {
    return !word.empty() && word[0] >= '0' && word[0] <= '9';
}

// Next to --snapshot or --record, the optional FILE: "-" or a word that is not
// an option.
bool isFileWord(std::string_view word) {
    return word == "-" || (!word.empty() && word[0] != '-');
}

// True when `arg` is an option that a headless mode reads with the word after
// it as its value, so that word is no mode switch. The saver options'
// values are not skipped: "-delay --simulate" is a --simulate line that the
// simulate mode then refuses, not a window.
bool takesHeadlessValue(std::string_view arg) {
    for (ProgramMode mode : headlessModeList) {
        const OptionSpec* spec = findOption(arg, mode);
        if (spec != nullptr && spec->value == OptionValue::Required)
            return true;
    }
    return false;
}

std::string refusal(std::string_view arg) {
    for (ProgramMode mode : switchedModeList)
        if (const OptionSpec* spec = findOption(arg, mode);
            spec != nullptr && spec->role == OptionRole::ModeSwitch)
            return "only one of --simulate, --snapshot, --record, --idle and --autostart, once";
    if (arg.size() < 2 || arg[0] != '-')
        return std::string("unexpected argument '").append(arg).append("'");
    return std::string("unknown option '").append(arg).append("'");
}

std::string checkSaver(ProgramOptions& options, const ParseNotes& notes) {
    // The explicit window wins: the settings tool passes --root with it.
    if (notes.windowId)
        options.x11.drawable = X11Drawable::NamedWindow;
    const bool ownWindow =
        options.x11.drawable == X11Drawable::OwnWindow && options.saver.shape == SaverShape::Window;
    if (notes.geometry && !ownWindow)
        return "--geometry applies to window mode only (the saver cannot size the screen or "
               "another program's window)";
    return {};
}

std::string checkSimulate(const SimulateOptions& options) {
    if (options.from && options.hour)
        return "--time and --from exclude each other";
    return {};
}

std::string checkPictures(const SnapshotOptions& options, const ParseNotes& notes) {
    if (options.record && options.file.empty())
        return "--record wants a file name";
    const bool framesWanted = options.record || !options.framesDir.empty();
    if (notes.every && !framesWanted)
        return "--every needs --frames";
    if (notes.maxFrames && !framesWanted)
        return "--max-frames needs --frames or --record";
    if (notes.recordOnly && !options.record)
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

std::string checkWholeLine(ProgramOptions& options, const ParseNotes& notes) {
    switch (options.mode) {
    case ProgramMode::Saver:
        return checkSaver(options, notes);
    case ProgramMode::Simulate:
        return checkSimulate(options.simulate);
    case ProgramMode::Snapshot:
    case ProgramMode::Record:
        // Asking for the usage needs no picture to be possible.
        return options.help ? std::string() : checkPictures(options.snapshot, notes);
    case ProgramMode::Watch:
    case ProgramMode::Autostart:
        break;
    }
    return {};
}

// The value `spec` reads from the words after args[i], which `i` then passes;
// false when a value it needs is missing.
bool takeValue(const OptionSpec& spec, const std::vector<std::string>& args, std::size_t& i,
               std::string& value) {
    const bool hasNext = i + 1 < args.size();
    switch (spec.value) {
    case OptionValue::None:
        return true;
    case OptionValue::Required:
        if (hasNext)
            value = args[++i];
        return hasNext;
    case OptionValue::OptionalFile:
        if (hasNext && isFileWord(args[i + 1]))
            value = args[++i];
        return true;
    case OptionValue::OptionalMinutes:
        if (hasNext && isNumberWord(args[i + 1]))
            value = args[++i];
        return true;
    case OptionValue::OnOrOff:
        if (!hasNext)
            return false;
        value = args[++i];
        if (value == "on" && i + 1 < args.size() && isNumberWord(args[i + 1]))
            value += " " + args[++i];
        return true;
    }
    return true;
}

} // namespace

ProgramMode chooseProgramMode(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        for (ProgramMode mode : switchedModeList)
            if (const OptionSpec* spec = findOption(args[i], mode);
                spec != nullptr && spec->role == OptionRole::ModeSwitch)
                return mode;
        if (takesHeadlessValue(args[i]))
            ++i;
    }
    return ProgramMode::Saver;
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
    ProgramOptions options;
    options.mode = chooseProgramMode(args);
    ParseNotes notes;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const OptionSpec* spec = findOption(arg, options.mode);
        if (spec == nullptr || (spec->role == OptionRole::ModeSwitch && notes.switches++ > 0))
            return {std::nullopt, refusal(arg)};
        std::string value;
        if (!takeValue(*spec, args, i, value))
            return {std::nullopt,
                    "'" + arg + "' needs a value (" + std::string(spec->valueName) + ")"};
        if (spec->apply != nullptr)
            if (std::string problem = spec->apply(options, notes, value); !problem.empty())
                return {std::nullopt, problem};
        // A saver --help or --version ends the line: the rest is not read.
        if (options.mode == ProgramMode::Saver && (options.help || options.version))
            return {options, {}};
    }
    if (std::string problem = checkWholeLine(options, notes); !problem.empty())
        return {std::nullopt, problem};
    return {options, {}};
}
