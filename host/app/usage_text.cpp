#include "host/app/usage_text.h"

#include "host/app/option_table.h"

#include <string_view>

namespace {

// Where the help of an option starts; a longer option gets a line of its own.
constexpr std::size_t helpColumn = 22;

std::string spelling(const OptionSpec& spec) {
    std::string text = std::string("--").append(spec.name);
    if (!spec.valueName.empty())
        text.append(" ").append(spec.valueName);
    return text;
}

void appendOption(std::string& out, const OptionSpec& spec) {
    std::string line = "  " + spelling(spec);
    std::string_view help = spec.help;
    for (;;) {
        const std::size_t end = help.find('\n');
        if (line.size() >= helpColumn) {
            out += line + '\n';
            line.clear();
        }
        line.append(helpColumn - line.size(), ' ');
        out += line;
        out.append(help.substr(0, end));
        out += '\n';
        if (end == std::string_view::npos)
            return;
        help.remove_prefix(end + 1);
        line.clear();
    }
}

// "-install, -noinstall, -visual X and -mono": the options kept for
// XScreenSaver's sake, spelled as its hacks write them.
std::string ignoredOptions() {
    std::string list;
    std::string last;
    for (const OptionSpec& spec : optionTable()) {
        if (spec.role != OptionRole::Ignored)
            continue;
        if (!last.empty())
            list += list.empty() ? last : ", " + last;
        last = std::string("-").append(spec.name);
        if (!spec.valueName.empty())
            last.append(" ").append(spec.valueName);
    }
    return list + " and " + last;
}

// The first line of a mode's usage, and what follows its list of options.
struct Section {
    ModeSet modes;
    const char* description;
    const char* footer;
};

const Section sections[] = {
    {saverModes, "a window, full screen or XScreenSaver hack",
     "Window and full-screen modes close on a key, a click or a mouse move.\n"
     "Options take one or two dashes.\n"},
    {simulateModes, "", ""},
    {pictureModes, "", ""},
    {watchModes, "",
     "A second watcher in the same session exits at once (status 6); with no\n"
     "idle source the watcher exits with status 7.\n"},
    {autostartModes, "", ""},
};

std::string sectionUsage(const Section& section) {
    std::string out;
    const char* lead = "usage: ";
    for (const OptionSpec& spec : optionTable()) {
        if (spec.role == OptionRole::ModeSwitch && (spec.modes & section.modes) != 0) {
            out += lead + std::string("veltrane ") + spelling(spec) + " [options]\n";
            lead = "       ";
        }
    }
    if (out.empty())
        out = std::string(lead) + "veltrane [options]   " + section.description + "\n";
    // The mode switches first: they say what the section is about.
    for (const OptionRole role : {OptionRole::ModeSwitch, OptionRole::Setting})
        for (const OptionSpec& spec : optionTable())
            if (spec.role == role && (spec.modes & section.modes) != 0)
                appendOption(out, spec);
    out += section.footer;
    if (section.modes == saverModes)
        out += ignoredOptions() + " are accepted\nand ignored (the saver ticks every 30 ms).\n";
    return out;
}

} // namespace

std::string modeUsage(ProgramMode mode) {
    for (const Section& section : sections)
        if ((section.modes & modeBit(mode)) != 0)
            return sectionUsage(section);
    return {};
}

std::string programUsage() {
    std::string out;
    for (const Section& section : sections) {
        if (!out.empty())
            out += '\n';
        out += sectionUsage(section);
    }
    return out;
}
