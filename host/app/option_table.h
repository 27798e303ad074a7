#pragma once

#include "host/app/command_line.h"

#include <span>
#include <string>
#include <string_view>

// The one list of the program's options: each row is an option as one group of
// modes reads it. An option that means something else in another mode (--ticks
// and --every have other ranges and defaults there) has a row per meaning.
// Parsing, the mode choice and the usage texts all read this table.

using ModeSet = unsigned;

constexpr ModeSet modeBit(ProgramMode mode) {
    return 1u << static_cast<unsigned>(mode);
}
inline constexpr ModeSet saverModes = modeBit(ProgramMode::Saver);
inline constexpr ModeSet simulateModes = modeBit(ProgramMode::Simulate);
inline constexpr ModeSet pictureModes =
    modeBit(ProgramMode::Snapshot) | modeBit(ProgramMode::Record);
inline constexpr ModeSet headlessModes = simulateModes | pictureModes;
inline constexpr ModeSet watchModes = modeBit(ProgramMode::Watch);
inline constexpr ModeSet autostartModes = modeBit(ProgramMode::Autostart);
inline constexpr ModeSet allModes = saverModes | headlessModes | watchModes | autostartModes;

enum class OptionRole {
    Setting,    // an ordinary option
    ModeSwitch, // --simulate, --snapshot, --record: chooses the mode
    Ignored,    // XScreenSaver's standard options this saver has no use for
};

enum class OptionValue {
    None,
    Required,        // the next word, whatever it looks like
    OptionalFile,    // the next word when it is "-" or does not start with '-'
    OptionalMinutes, // the next word when it starts with a digit
    // The next word, and after "on" also the word after it when that starts
    // with a digit; the two are handed over as "on MINUTES".
    OnOrOff,
};

// What the line showed beyond the values themselves, for the checks at its end.
struct ParseNotes {
    int switches = 0;
    bool every = false;
    bool maxFrames = false;
    bool recordOnly = false; // --quality or --frame-ms
    bool geometry = false;
    bool windowId = false;
};

struct OptionSpec {
    std::string_view name; // without dashes
    char shortName;        // '\0', or a letter also taken as "-x"
    ModeSet modes;
    OptionRole role;
    OptionValue value;
    std::string_view valueName; // how the help shows the value
    std::string_view help;      // lines separated by '\n'
    // Stores the value ("" without one); returns "" or why it is refused.
    std::string (*apply)(ProgramOptions& options, ParseNotes& notes, std::string_view value);
};

std::span<const OptionSpec> optionTable();

// The row `arg` spells in `mode`, or null. The saver modes take one or
// two dashes before the name or short name; the headless ones "--name" or
// "-x".
const OptionSpec* findOption(std::string_view arg, ProgramMode mode);
