#include "host/app/option_table.h"

#include "host/app/option_values.h"

#include <array>
#include <cstdint>

namespace {

using Options = ProgramOptions;

constexpr std::int64_t simulateMaxTicks = std::int64_t{1} << 40;

std::string quoted(std::string_view value) {
    // Appended, not "'" + std::string(value): GCC 12 at -O3 sees a false
    // overlap (-Wrestrict) in prepending to a temporary.
    return std::string("'").append(value).append("'");
}

bool simulating(const Options& options) {
    return options.mode == ProgramMode::Simulate;
}

// --- Values every headless mode reads the same way.

std::string setTime(Options& options, ParseNotes&, std::string_view value) {
    const auto time = parseTimeOfDay(value);
    if (!time)
        return "--time wants HH:MM between 00:00 and 23:59, not " + quoted(value);
    auto& hour = simulating(options) ? options.simulate.hour : options.snapshot.hour;
    auto& minute = simulating(options) ? options.simulate.minute : options.snapshot.minute;
    hour = time->hour;
    minute = time->minute;
    return {};
}

std::string setSeed(Options& options, ParseNotes&, std::string_view value) {
    const auto seed = parseSeed(value);
    if (!seed)
        return "--seed wants a whole number from 0 to 4294967295, not " + quoted(value);
    if (simulating(options))
        options.simulate.seed = *seed;
    else
        options.snapshot.seed = *seed;
    return {};
}

// A whole number within [low, high] for `option`, or the reason it is not one.
std::string readNumber(std::string_view option, std::string_view value, std::int64_t low,
                       std::int64_t high, std::int64_t& out) {
    const auto number = parseWholeNumber(value, low, high);
    if (!number)
        return std::string(option) + " wants a whole number from " + std::to_string(low) + " to " +
               std::to_string(high) + ", not " + quoted(value);
    out = *number;
    return {};
}

// --- --simulate

std::string setFrom(Options& options, ParseNotes&, std::string_view value) {
    const auto time = parseTimeOfDay(value);
    if (!time)
        return "--from wants HH:MM between 00:00 and 23:59, not " + quoted(value);
    options.simulate.from = time;
    return {};
}

std::string setDump(Options& options, ParseNotes&, std::string_view value) {
    std::string problem = checkPathValue("--dump", value, true);
    if (problem.empty())
        options.simulate.dumpPath = std::string(value);
    return problem;
}

// --- --snapshot and --record

std::string setSize(Options& options, ParseNotes&, std::string_view value) {
    const auto size = parsePictureSize(value, snapshotMaxSide);
    if (!size)
        return "--size wants WxH, each from 1 to 8192 (e.g. 1024x768), not " + quoted(value);
    options.snapshot.width = size->width;
    options.snapshot.height = size->height;
    return {};
}

std::string setFrames(Options& options, ParseNotes&, std::string_view value) {
    std::string problem = checkPathValue("--frames", value, false);
    if (problem.empty())
        options.snapshot.framesDir = std::string(value);
    return problem;
}

std::string setQuality(Options& options, ParseNotes& notes, std::string_view value) {
    notes.recordOnly = true;
    std::int64_t quality = 0;
    std::string problem = readNumber("--quality", value, 0, 100, quality);
    options.snapshot.quality = static_cast<int>(quality);
    return problem;
}

std::string setFrameMs(Options& options, ParseNotes& notes, std::string_view value) {
    notes.recordOnly = true;
    std::int64_t milliseconds = 0;
    std::string problem = readNumber("--frame-ms", value, 1, 60'000, milliseconds);
    options.snapshot.frameMilliseconds = milliseconds;
    return problem;
}

// --- the idle watcher

// Minutes for `option` ("" keeps the default), or the reason they are not.
std::string readMinutes(std::string_view option, std::string_view value, double& minutes) {
    if (value.empty())
        return {};
    const auto read = parseMinutes(value);
    if (!read)
        return std::string(option) + " wants minutes of idleness, more than 0 and at most a " +
               "week (e.g. 10 or 0.5), not " + quoted(value);
    minutes = *read;
    return {};
}

std::string setAutostart(Options& options, ParseNotes&, std::string_view value) {
    if (value == "off") {
        options.autostart.on = false;
        return {};
    }
    if (value != "on" && !value.starts_with("on "))
        return "--autostart wants on [MINUTES] or off, not " + quoted(value);
    options.autostart.on = true;
    return value == "on"
               ? std::string()
               : readMinutes("--autostart on", value.substr(3), options.autostart.minutes);
}

// --- the saver modes

std::string setWindowId(Options& options, ParseNotes& notes, std::string_view value) {
    const auto id = parseWindowId(std::string(value));
    if (!id)
        return quoted(value) + " is not a window id";
    options.x11.windowId = *id;
    notes.windowId = true;
    return {};
}

std::string setGeometry(Options& options, ParseNotes& notes, std::string_view value) {
    const auto geometry = parseWindowGeometry(value);
    if (!geometry)
        return quoted(value) + " is not a geometry such as 1024x768+0+0";
    options.saver.width = geometry->width;
    options.saver.height = geometry->height;
    options.x11.placement = geometry->placement;
    notes.geometry = true;
    return {};
}

std::string setDisplay(Options& options, ParseNotes&, std::string_view value) {
    if (value.empty())
        return "--display needs a display name such as :0";
    options.x11.display = std::string(value);
    return {};
}

// --window and --fullscreen: a window of the saver's own.
template <SaverShape shape> std::string setShape(Options& options, ParseNotes&, std::string_view) {
    options.saver.shape = shape;
    options.x11.drawable = X11Drawable::OwnWindow;
    return {};
}

std::string setDaemonWindow(Options& options, ParseNotes&, std::string_view) {
    options.x11.drawable = X11Drawable::DaemonWindow;
    return {};
}

template <HostRequest host> std::string setHost(Options& options, ParseNotes&, std::string_view) {
    options.host = host;
    return {};
}

using enum OptionRole;
using enum OptionValue;

// In the order the usage lists them.
const std::array table{
    // The saver modes.
    OptionSpec{"window", 0, saverModes, Setting, None, "",
               "a window (the default; the last of --window,\n"
               "--fullscreen and --root counts)",
               setShape<SaverShape::Window>},
    OptionSpec{"fullscreen", 0, saverModes, Setting, None, "",
               "cover the screen, the pointer hidden", setShape<SaverShape::FullScreen>},
    OptionSpec{"root", 0, saverModes, Setting, None, "",
               "XScreenSaver hack (X11 only): draw into\n"
               "$XSCREENSAVER_WINDOW or the root window",
               setDaemonWindow},
    OptionSpec{"window-id", 0, saverModes, Setting, Required, "ID",
               "XScreenSaver hack (X11 only): draw into window ID\n"
               "(wins over --root, --window and --fullscreen)",
               setWindowId},
    OptionSpec{"geometry", 0, saverModes, Setting, Required, "WxH[+X+Y]",
               "window mode: the size (default 1024x768) and place;\n"
               "on Wayland the compositor places the window and\n"
               "+X+Y is ignored",
               setGeometry},
    OptionSpec{"display", 0, saverModes, Setting, Required, "NAME",
               "the X display to use instead of $DISPLAY (X11 only)", setDisplay},
    OptionSpec{"x11", 0, saverModes, Setting, None, "", "draw through the X server",
               setHost<HostRequest::X11>},
    OptionSpec{"wayland", 0, saverModes, Setting, None, "",
               "draw through the Wayland compositor (window and\n"
               "full screen only). Without --x11 and --wayland (the\n"
               "last counts): Wayland when a compositor answers at\n"
               "$WAYLAND_DISPLAY and neither --root, --window-id nor\n"
               "--display is given, else X11",
               setHost<HostRequest::Wayland>},
    OptionSpec{"fps", 0, saverModes, Setting, None, "",
               "show frames per second and the simulation's\n"
               "milliseconds per tick in the bottom-left corner",
               [](Options& o, ParseNotes&, std::string_view) {
                   o.saver.fps = true;
                   return std::string();
               }},
    OptionSpec{"no-fps", 0, saverModes, Setting, None, "",
               "do not (the default; the last of --fps and\n"
               "--no-fps counts)",
               [](Options& o, ParseNotes&, std::string_view) {
                   o.saver.fps = false;
                   return std::string();
               }},
    OptionSpec{"install", 0, saverModes, Ignored, None, "", "", nullptr},
    OptionSpec{"noinstall", 0, saverModes, Ignored, None, "", "", nullptr},
    OptionSpec{"visual", 0, saverModes, Ignored, Required, "X", "", nullptr},
    OptionSpec{"delay", 0, saverModes, Ignored, Required, "N", "", nullptr},
    OptionSpec{"pair", 0, saverModes, Ignored, None, "", "", nullptr},
    OptionSpec{"mono", 0, saverModes, Ignored, None, "", "", nullptr},
    OptionSpec{"version", 0, saverModes, Setting, None, "", "print the version",
               [](Options& o, ParseNotes&, std::string_view) {
                   o.version = true;
                   return std::string();
               }},
    OptionSpec{"simulate", 0, simulateModes, ModeSwitch, None, "",
               "the model alone, without graphics, on virtual time", nullptr},
    // Every headless mode.
    OptionSpec{"time", 0, headlessModes, Setting, Required, "HH:MM",
               "the local time of day the clock shows (default:\n"
               "the real time)",
               setTime},
    OptionSpec{"seed", 0, headlessModes, Setting, Required, "S",
               "the generator's seed, 0 to 4294967295 (default:\n"
               "the calendar time)",
               setSeed},
    // The model alone.
    OptionSpec{"from", 0, simulateModes, Setting, Required, "HH:MM",
               "a virtual day: the clock starts at HH:MM and\n"
               "advances exactly 30 ms per tick (excludes --time)",
               setFrom},
    OptionSpec{"ticks", 0, simulateModes, Setting, Required, "N",
               "ticks to run, at least 1 (default 1000)",
               [](Options& o, ParseNotes&, std::string_view v) {
                   return readNumber("--ticks", v, 1, simulateMaxTicks, o.simulate.ticks);
               }},
    OptionSpec{"every", 0, simulateModes, Setting, Required, "K",
               "a progress line every K ticks, 0 for none\n"
               "(default 100)",
               [](Options& o, ParseNotes&, std::string_view v) {
                   return readNumber("--every", v, 0, simulateMaxTicks, o.simulate.every);
               }},
    OptionSpec{"ascii", 0, simulateModes, Setting, None, "",
               "print the clock field with the strokes over it at\n"
               "the end",
               [](Options& o, ParseNotes&, std::string_view) {
                   o.simulate.ascii = true;
                   return std::string();
               }},
    OptionSpec{"dump", 0, simulateModes, Setting, Required, "FILE",
               "write the world at the end to FILE ('-': standard\n"
               "output)",
               setDump},
    // Off-screen pictures.
    OptionSpec{"snapshot", 0, modeBit(ProgramMode::Snapshot), ModeSwitch, OptionalFile,
               "[FILE.png]",
               "render off-screen and write the last frame as a\n"
               "PNG ('-': standard output)",
               [](Options& o, ParseNotes&, std::string_view v) {
                   o.snapshot.file = std::string(v);
                   return std::string();
               }},
    OptionSpec{"record", 0, modeBit(ProgramMode::Record), ModeSwitch, OptionalFile, "FILE.webp",
               "render off-screen into an animated WebP ('-':\n"
               "standard output)",
               [](Options& o, ParseNotes&, std::string_view v) {
                   o.snapshot.record = true;
                   o.snapshot.file = std::string(v);
                   return std::string();
               }},
    OptionSpec{"ticks", 0, pictureModes, Setting, Required, "N", "ticks to run (default 900, 30 s)",
               [](Options& o, ParseNotes&, std::string_view v) {
                   return readNumber("--ticks", v, 1, snapshotMaxTicks, o.snapshot.ticks);
               }},
    OptionSpec{"size", 0, pictureModes, Setting, Required, "WxH",
               "picture size, each side 1 to 8192 pixels\n"
               "(default 1024x768)",
               setSize},
    OptionSpec{"frames", 0, pictureModes, Setting, Required, "DIR",
               "also write a frame every K ticks as\n"
               "DIR/frame_NNNNNN.png (FILE is then optional)",
               setFrames},
    OptionSpec{"every", 0, pictureModes, Setting, Required, "K",
               "a frame every K ticks for --frames and --record\n"
               "(default 1)",
               [](Options& o, ParseNotes& notes, std::string_view v) {
                   notes.every = true;
                   return readNumber("--every", v, 1, snapshotMaxTicks, o.snapshot.every);
               }},
    OptionSpec{"max-frames", 0, pictureModes, Setting, Required, "N",
               "end the run once N frames are made",
               [](Options& o, ParseNotes& notes, std::string_view v) {
                   notes.maxFrames = true;
                   return readNumber("--max-frames", v, 1, snapshotMaxTicks, o.snapshot.maxFrames);
               }},
    OptionSpec{"quality", 0, pictureModes, Setting, Required, "Q",
               "--record: lossy WebP quality, 0 to 100 (default 80)", setQuality},
    OptionSpec{"frame-ms", 0, pictureModes, Setting, Required, "MS",
               "--record: how long a frame shows (default K x 30,\n"
               "real time)",
               setFrameMs},
    // The idle watcher.
    OptionSpec{"idle", 0, watchModes, ModeSwitch, OptionalMinutes, "[MINUTES]",
               "show the full-screen saver whenever the session has\n"
               "been idle MINUTES (default 10; decimals allowed),\n"
               "until input ends it; SIGTERM, SIGINT or SIGHUP end\n"
               "the watcher. Idle sources, the first the session\n"
               "offers: Wayland ext-idle-notify-v1,\n"
               "org_kde_kwin_idle, GNOME's\n"
               "org.gnome.Mutter.IdleMonitor, the X server's\n"
               "MIT-SCREEN-SAVER extension",
               [](Options& o, ParseNotes&, std::string_view v) {
                   return readMinutes("--idle", v, o.watch.minutes);
               }},
    OptionSpec{"verbose", 0, watchModes, Setting, None, "",
               "say at the start which idle source serves",
               [](Options& o, ParseNotes&, std::string_view) {
                   o.watch.verbose = true;
                   return std::string();
               }},
    OptionSpec{"autostart", 0, autostartModes, ModeSwitch, OnOrOff, "on [MINUTES]|off",
               "start `veltrane --idle MINUTES` with every session\n"
               "(an XDG autostart entry, which GNOME, KDE Plasma and\n"
               "most desktops honour; sway users are shown the line\n"
               "for their config), or no longer",
               setAutostart},
    // Every mode.
    OptionSpec{"help", 'h', allModes, Setting, None, "", "print this usage",
               [](Options& o, ParseNotes&, std::string_view) {
                   o.help = true;
                   return std::string();
               }},
};

// "-name"/"--name" (one or two dashes) or "-x"/"--x" for the short name.
bool spellsEitherDashes(const OptionSpec& spec, std::string_view arg) {
    if (arg.starts_with("--"))
        arg.remove_prefix(2);
    else if (arg.starts_with("-"))
        arg.remove_prefix(1);
    else
        return false;
    return arg == spec.name || (spec.shortName != 0 && arg.size() == 1 && arg[0] == spec.shortName);
}

// "--name" or "-x".
bool spellsHeadless(const OptionSpec& spec, std::string_view arg) {
    if (arg.starts_with("--"))
        return arg.substr(2) == spec.name;
    return spec.shortName != 0 && arg.size() == 2 && arg[0] == '-' && arg[1] == spec.shortName;
}

} // namespace

std::span<const OptionSpec> optionTable() {
    return table;
}

const OptionSpec* findOption(std::string_view arg, ProgramMode mode) {
    for (const OptionSpec& spec : table) {
        if ((spec.modes & modeBit(mode)) == 0)
            continue;
        const bool spelled =
            mode == ProgramMode::Saver ? spellsEitherDashes(spec, arg) : spellsHeadless(spec, arg);
        if (spelled)
            return &spec;
    }
    return nullptr;
}
