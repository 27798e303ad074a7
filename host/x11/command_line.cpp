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

// Up to five digits starting at `pos`; advances `pos` past them.
std::optional<int> parseNumber(const std::string& text, std::size_t& pos) {
    std::size_t begin = pos;
    int value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        if (pos - begin == 5)
            return std::nullopt;
        value = value * 10 + (text[pos++] - '0');
    }
    if (pos == begin)
        return std::nullopt;
    return value;
}

// X geometry as the peers take it: [=]WxH, optionally followed by +X+Y where
// each sign may be '-' to count from the far edge. Sizes from 1 to 16384.
bool parseGeometry(const std::string& text, HostOptions& options) {
    std::size_t pos = !text.empty() && text[0] == '=' ? 1 : 0;
    auto width = parseNumber(text, pos);
    if (!width || pos >= text.size() || (text[pos] != 'x' && text[pos] != 'X'))
        return false;
    ++pos;
    auto height = parseNumber(text, pos);
    if (!height || *width < 1 || *width > 16384 || *height < 1 || *height > 16384)
        return false;
    HostOptions result = options;
    result.width = *width;
    result.height = *height;
    result.positioned = pos < text.size();
    if (result.positioned) {
        const char xSign = text[pos++];
        auto x = parseNumber(text, pos);
        const char ySign = pos < text.size() ? text[pos++] : '\0';
        auto y = parseNumber(text, pos);
        bool signsOk = (xSign == '+' || xSign == '-') && (ySign == '+' || ySign == '-');
        if (!signsOk || !x || !y || pos != text.size())
            return false;
        result.x = *x;
        result.y = *y;
        result.xFromRight = xSign == '-';
        result.yFromBottom = ySign == '-';
    }
    options = result;
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
    bool geometryGiven = false;
    bool windowIdGiven = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string name = optionName(arg);
        auto nextValue = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };

        if (name == "help" || name == "h" || name == "version") {
            HostOptions only;
            only.mode = name == "version" ? HostMode::Version : HostMode::Help;
            return {only, {}};
        }

        if (name == "fullscreen") {
            options.mode = HostMode::FullScreen;
        } else if (name == "root") {
            options.mode = HostMode::Root;
        } else if (name == "window") {
            options.mode = HostMode::Window;
        } else if (name == "window-id") {
            auto value = nextValue();
            if (!value)
                return {std::nullopt, "'" + arg + "' needs a window id"};
            auto id = parseWindowId(*value);
            if (!id)
                return {std::nullopt, "'" + *value + "' is not a window id"};
            options.windowId = *id;
            windowIdGiven = true;
        } else if (name == "geometry") {
            auto value = nextValue();
            if (!value)
                return {std::nullopt, "'" + arg + "' needs a size such as 1024x768"};
            if (!parseGeometry(*value, options))
                return {std::nullopt, "'" + *value + "' is not a geometry such as 1024x768+0+0"};
            geometryGiven = true;
        } else if (name == "display") {
            auto value = nextValue();
            if (!value || value->empty())
                return {std::nullopt, "'" + arg + "' needs a display name such as :0"};
            options.display = *value;
        } else if (name == "fps") {
            options.fps = true;
        } else if (name == "no-fps") {
            options.fps = false;
        } else if (name == "install" || name == "noinstall" || name == "pair" || name == "mono") {
            // XScreenSaver's standard flags: nothing to do for this saver.
        } else if (name == "visual" || name == "delay") {
            if (!nextValue())
                return {std::nullopt, "'" + arg + "' needs a value"};
        } else {
            return {std::nullopt, "unknown option '" + arg + "'"};
        }
    }

    // The explicit window wins: the settings tool passes --root with it.
    if (windowIdGiven)
        options.mode = HostMode::WindowId;
    if (geometryGiven && options.mode != HostMode::Window)
        return {std::nullopt, "--geometry applies to window mode only (the saver cannot size "
                              "the screen or another program's window)"};
    return {options, {}};
}

const char* hostUsage() {
    return "usage: veltrane [--geometry WxH[+X+Y]] a 1024x768 window (or WxH, at X,Y)\n"
           "       veltrane --fullscreen          cover the screen\n"
           "       veltrane --root                XScreenSaver hack: draw into "
           "$XSCREENSAVER_WINDOW\n"
           "                                      or the root window\n"
           "       veltrane --window-id ID        XScreenSaver hack: draw into window ID\n"
           "                                      (wins over --root, --window, --fullscreen)\n"
           "       veltrane --simulate ...        the model alone, without graphics\n"
           "       veltrane --snapshot FILE ...   render off-screen into a PNG file\n"
           "       veltrane --help | --version\n"
           "Options for the windowed and hack modes:\n"
           "  --display NAME   the X display to use instead of $DISPLAY\n"
           "  --window         a window (the default; the last of --window, --root and\n"
           "                   --fullscreen counts)\n"
           "  --fps, --no-fps  show or hide frames per second and the simulation's\n"
           "                   milliseconds per tick in the bottom-left corner\n"
           "  --delay N        accepted and ignored: the saver ticks every 30 ms\n"
           "Window and full-screen modes close on a key, a click or a mouse move.\n"
           "Options take one or two dashes. -install, -noinstall, -visual X, -pair and\n"
           "-mono are accepted and ignored.\n";
}
