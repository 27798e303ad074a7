#include "host/x11/command_line.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace {

// Strips one or two leading dashes so "-root" and "--root" compare equal.
// Returns an empty string for things that are not options at all.
std::string optionName(const std::string& arg) {
    if (arg.size() >= 3 && arg[0] == '-' && arg[1] == '-')
        return arg.substr(2);
    if (arg.size() >= 2 && arg[0] == '-' && arg[1] != '-')
        return arg.substr(1);
    return {};
}

std::optional<int> parseDimension(const std::string& text, std::size_t begin, std::size_t end) {
    if (begin >= end || end - begin > 5)
        return std::nullopt;
    int value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    if (value < 1 || value > 16384)
        return std::nullopt;
    return value;
}

bool parseGeometry(const std::string& text, HostOptions& options) {
    std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    auto width = parseDimension(text, 0, x);
    auto height = parseDimension(text, x + 1, text.size());
    if (!width || !height)
        return false;
    options.width = *width;
    options.height = *height;
    return true;
}

} // namespace

std::optional<unsigned long> parseWindowId(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t\n");
    std::size_t end = text.find_last_not_of(" \t\n");
    if (begin == std::string::npos)
        return std::nullopt;
    std::string digits = text.substr(begin, end - begin + 1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    // strtoull would accept signs and its own blanks; only plain digits pass.
    for (char c : digits) {
        bool ok = base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                             : std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (!ok)
            return std::nullopt;
    }
    if (digits.empty() || digits.size() > 20)
        return std::nullopt;
    errno = 0;
    unsigned long long value = std::strtoull(digits.c_str(), nullptr, base);
    if (errno != 0 || value == 0 || value > UINT32_MAX)
        return std::nullopt;
    return static_cast<unsigned long>(value);
}

ParsedCommandLine parseHostCommandLine(const std::vector<std::string>& args) {
    HostOptions options;
    bool modeChosen = false;
    bool geometryGiven = false;
    auto chooseMode = [&](HostMode mode, const std::string& arg) -> std::string {
        if (modeChosen && options.mode != mode)
            return "'" + arg + "' conflicts with an earlier mode option";
        modeChosen = true;
        options.mode = mode;
        return {};
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string name = optionName(arg);
        auto nextValue = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        std::string error;

        if (name == "help" || name == "h")
            return {HostOptions{HostMode::Help}, {}};
        if (name == "version")
            return {HostOptions{HostMode::Version}, {}};

        if (name == "fullscreen") {
            error = chooseMode(HostMode::FullScreen, arg);
        } else if (name == "root") {
            error = chooseMode(HostMode::Root, arg);
        } else if (name == "window-id") {
            auto value = nextValue();
            if (!value)
                return {std::nullopt, "'" + arg + "' needs a window id"};
            auto id = parseWindowId(*value);
            if (!id)
                return {std::nullopt, "'" + *value + "' is not a window id"};
            options.windowId = *id;
            error = chooseMode(HostMode::WindowId, arg);
        } else if (name == "geometry") {
            auto value = nextValue();
            if (!value)
                return {std::nullopt, "'" + arg + "' needs a size such as 1024x768"};
            if (!parseGeometry(*value, options))
                return {std::nullopt, "'" + *value + "' is not a size such as 1024x768"};
            geometryGiven = true;
        } else if (name == "install" || name == "noinstall" || name == "fps" || name == "no-fps" ||
                   name == "pair" || name == "mono") {
            // XScreenSaver's standard flags: nothing to do for this saver.
        } else if (name == "visual" || name == "delay") {
            if (!nextValue())
                return {std::nullopt, "'" + arg + "' needs a value"};
        } else {
            return {std::nullopt, "unknown option '" + arg + "'"};
        }
        if (!error.empty())
            return {std::nullopt, error};
    }

    if (geometryGiven && options.mode != HostMode::Window)
        return {std::nullopt, "--geometry applies to window mode only"};
    return {options, {}};
}

const char* hostUsage() {
    return "usage: veltrane [--geometry WxH]      a 1024x768 window (or WxH)\n"
           "       veltrane --fullscreen          cover the screen\n"
           "       veltrane --root                XScreenSaver hack: draw into "
           "$XSCREENSAVER_WINDOW\n"
           "                                      or the root window\n"
           "       veltrane --window-id ID        XScreenSaver hack: draw into window ID\n"
           "       veltrane --simulate ...        the model alone, without graphics\n"
           "       veltrane --snapshot FILE ...   render off-screen into a PNG file\n"
           "       veltrane --help | --version\n"
           "Window and full-screen modes close on a key, a click or a mouse move.\n"
           "Options take one or two dashes. -install, -noinstall, -visual X, -delay N,\n"
           "-fps, -no-fps, -pair and -mono are accepted and ignored.\n";
}
