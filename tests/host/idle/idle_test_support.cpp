#include "tests/host/idle/idle_test_support.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>

namespace {
std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

// stdout of a shell command line, and whether it exited with 0.
bool run(const std::string& command, std::string& output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string valueOf(const std::string& lines, const std::string& key) {
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    return "";
}
} // namespace

std::unique_ptr<IdleTestCompositor> IdleTestCompositor::start(CompositorKind kind,
                                                              std::string& why) {
    const bool sway = kind == CompositorKind::Sway;
    const std::string script = sway ? HEADLESS_SWAY : HEADLESS_KWIN;
    std::string output;
    if (!run(script + (sway ? " 1024x768" : "") + " 2>&1", output)) {
        why = script + " could not start a compositor: " + output;
        return nullptr;
    }
    const std::string pid = valueOf(output, sway ? "SWAY_PID" : "KWIN_PID");
    return std::unique_ptr<IdleTestCompositor>(
        new IdleTestCompositor(kind, valueOf(output, "WAYLAND_DISPLAY"), std::stoi(pid),
                               valueOf(output, sway ? "SWAY_DIR" : "KWIN_DIR")));
}

IdleTestCompositor::~IdleTestCompositor() {
    std::string ignored;
    run(std::string(kind_ == CompositorKind::Sway ? HEADLESS_SWAY : HEADLESS_KWIN) + " stop " +
            quoted(dir_),
        ignored);
}

bool IdleTestCompositor::typeKey(int pauseMs) const {
    const std::string pause = pauseMs > 0 ? " -s " + std::to_string(pauseMs) : "";
    const std::string tool =
        kind_ == CompositorKind::Sway ? "wtype" + pause + " a" : KWIN_FAKE_INPUT + pause;
    std::string ignored;
    return run("WAYLAND_DISPLAY=" + quoted(display_) + " " + tool + " 2>&1", ignored);
}

void IdleTestCompositor::kill() {
    ::kill(pid_, SIGKILL);
}
