#include "tests/host/wayland/wayland_test_support.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sstream>

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    int status = pclose(pipe);
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::uint32_t Screenshot::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return ~0u;
    const std::uint8_t* p = &rgb[static_cast<std::size_t>((y * width + x) * 3)];
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

int Screenshot::litPixels(int step) const {
    int lit = 0;
    for (int y = 0; y < height; y += step)
        for (int x = 0; x < width; x += step)
            lit += pixel(x, y) != 0;
    return lit;
}

namespace {
// grim's binary PPM: "P6\n<width> <height>\n255\n" and the rows.
Screenshot parsePpm(const std::string& data) {
    Screenshot shot;
    std::istringstream in(data);
    std::string magic;
    int maximum = 0;
    in >> magic >> shot.width >> shot.height >> maximum;
    in.get();
    auto size = static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height) * 3;
    auto offset = static_cast<std::size_t>(in.tellg());
    if (magic != "P6" || maximum != 255 || !in || data.size() < offset + size)
        return {};
    shot.rgb.assign(data.begin() + static_cast<long>(offset),
                    data.begin() + static_cast<long>(offset + size));
    return shot;
}
} // namespace

Compositor::Compositor(std::string display, std::string ipc, pid_t pid, std::string dir)
    : display_(std::move(display)), ipc_(std::move(ipc)), pid_(pid), privateDir_(std::move(dir)) {
    pointerDevice_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{POINTER_DEVICE}, environment());
    // The seat's capabilities: 1 is the pointer.
    bool ready = eventually(startupMs, [&] {
        CommandResult caps = swaymsg("-r -t get_seats | jq '.[0].capabilities'");
        return caps.ok && (std::atoi(caps.output.c_str()) & 1) != 0;
    });
    if (!ready)
        throw std::runtime_error("no pointer device: " + pointerDevice_->errorOutput());
}

Compositor::~Compositor() {
    pointerDevice_.reset();
    if (!privateDir_.empty())
        runCommand(std::string(HEADLESS_SWAY) + " stop " + shellQuoted(privateDir_));
}

std::unique_ptr<Compositor> Compositor::shared() {
    const char* display = std::getenv("VELTRANE_TEST_WAYLAND_DISPLAY");
    const char* ipc = std::getenv("SWAYSOCK");
    if (!display || !*display || !ipc || !*ipc)
        return nullptr;
    return std::unique_ptr<Compositor>(new Compositor(display, ipc, 0, ""));
}

std::unique_ptr<Compositor> Compositor::makePrivate(const std::string& mode) {
    if (!shared())
        return nullptr;
    std::string why;
    auto compositor = startPrivate(mode, why);
    if (!compositor)
        throw std::runtime_error(why);
    return compositor;
}

std::unique_ptr<Compositor> Compositor::startPrivate(const std::string& mode, std::string& why) {
    CommandResult started = runCommand(std::string(HEADLESS_SWAY) + " " + shellQuoted(mode));
    if (!started.ok) {
        why = "a private sway did not start (headless-sway's reason is on stderr)";
        return nullptr;
    }
    std::string display, ipc, dir;
    pid_t pid = 0;
    std::istringstream lines(started.output);
    for (std::string line; std::getline(lines, line);) {
        auto equals = line.find('=');
        std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        key == "WAYLAND_DISPLAY" ? display = value
        : key == "SWAYSOCK"      ? ipc = value
        : key == "SWAY_DIR"      ? dir = value
                                 : std::string();
        if (key == "SWAY_PID")
            pid = std::stoi(value);
    }
    return std::unique_ptr<Compositor>(new Compositor(display, ipc, pid, dir));
}

std::vector<std::string> Compositor::environment(std::vector<std::string> more) const {
    more.push_back("WAYLAND_DISPLAY=" + display_);
    return more;
}

std::string Compositor::run(const std::string& tool) const {
    return "WAYLAND_DISPLAY=" + shellQuoted(display_) + " SWAYSOCK=" + shellQuoted(ipc_) + " " +
           tool;
}

CommandResult Compositor::swaymsg(const std::string& arguments) const {
    return runCommand(run("swaymsg " + arguments + " 2>/dev/null"));
}

std::vector<SaverSurface> Compositor::saverSurfaces() const {
    // Every node with our app_id, under the output that holds it.
    const char* query =
        "'.nodes[] | select(.type == \"output\") | .name as $o | .. | objects"
        " | select(.app_id? == \"veltrane\")"
        " | \"\\(.pid) \\($o) \\(.rect.x) \\(.rect.y) \\(.rect.width) \\(.rect.height)"
        " \\(.fullscreen_mode)\"'";
    CommandResult tree = swaymsg("-r -t get_tree | jq -r " + std::string(query));
    std::vector<SaverSurface> surfaces;
    std::istringstream lines(tree.output);
    for (std::string line; std::getline(lines, line);) {
        SaverSurface s;
        int mode = 0;
        if (std::istringstream(line) >> s.pid >> s.output >> s.x >> s.y >> s.width >> s.height >>
            mode) {
            s.fullscreen = mode != 0;
            surfaces.push_back(s);
        }
    }
    return surfaces;
}

std::vector<std::string> Compositor::outputs() const {
    CommandResult list = swaymsg("-r -t get_outputs | jq -r '.[].name'");
    std::vector<std::string> names;
    std::istringstream lines(list.output);
    for (std::string line; std::getline(lines, line);)
        names.push_back(line);
    return names;
}

std::string Compositor::createOutput() {
    auto before = outputs();
    if (!swaymsg("create_output").ok)
        return "";
    std::string added;
    eventually(exitMs, [&] {
        for (auto& name : outputs())
            if (std::find(before.begin(), before.end(), name) == before.end())
                added = name;
        return !added.empty();
    });
    return added;
}

Screenshot Compositor::capture(const SaverSurface& s) const {
    std::ostringstream region;
    region << s.x << "," << s.y << " " << s.width << "x" << s.height;
    return parsePpm(
        runCommand(run("grim -t ppm -g " + shellQuoted(region.str()) + " - 2>/dev/null")).output);
}

Screenshot Compositor::captureOutput(const std::string& output) const {
    return parsePpm(
        runCommand(run("grim -t ppm -o " + shellQuoted(output) + " - 2>/dev/null")).output);
}

bool Compositor::showsPicture(const SaverSurface& surface, int milliseconds, int minimum) const {
    return eventually(milliseconds, [&] { return capture(surface).litPixels() >= minimum; });
}

void Compositor::typeKey(const std::string& key) const {
    // wtype makes a keyboard for each call; without the pause, the key can
    // come before the saver has taken the new keyboard, as never happens with
    // a keyboard that was there all along.
    runCommand(run("wtype -s 300 " + shellQuoted(key) + " 2>/dev/null"));
}
void Compositor::moveCursorTo(int x, int y) const {
    swaymsg("seat - cursor set " + std::to_string(x) + " " + std::to_string(y));
}
void Compositor::moveCursorBy(int dx, int dy) const {
    swaymsg("-- seat - cursor move " + std::to_string(dx) + " " + std::to_string(dy));
}
void Compositor::pressButton() const {
    swaymsg("seat - cursor press button1");
    swaymsg("seat - cursor release button1");
}

void Compositor::kill() {
    if (pid_ > 0)
        ::kill(pid_, SIGKILL);
}

std::vector<SaverSurface> waitForSurfaces(const Compositor& compositor, std::size_t count,
                                          bool fullscreen, int milliseconds) {
    std::vector<SaverSurface> found;
    bool shown = eventually(milliseconds, [&] {
        found = compositor.saverSurfaces();
        if (found.size() != count)
            return false;
        for (auto& s : found)
            if (s.fullscreen != fullscreen || s.width <= 0 ||
                compositor.capture(s).litPixels() < 20)
                return false;
        return true;
    });
    return shown ? found : std::vector<SaverSurface>{};
}
