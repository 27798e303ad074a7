#include "tests/host/idle/headless_mutter.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace {
std::string output(const std::string& command, bool& ok) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    ok = pclose(pipe) == 0;
    return text;
}
} // namespace

bool HeadlessMutter::installed() {
    return access("/usr/bin/mutter", X_OK) == 0 && access("/usr/bin/dbus-run-session", X_OK) == 0;
}

std::unique_ptr<HeadlessMutter> HeadlessMutter::start() {
    bool ok = false;
    std::istringstream lines(output(HEADLESS_MUTTER, ok));
    if (!ok)
        return nullptr;
    std::unique_ptr<HeadlessMutter> mutter(new HeadlessMutter);
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "DBUS_SESSION_BUS_ADDRESS")
            mutter->bus_ = value;
        else if (key == "WAYLAND_DISPLAY")
            mutter->display_ = value;
        else if (key == "MUTTER_DIR")
            mutter->dir_ = value;
        else if (key == "MUTTER_PID")
            mutter->mutterPid_ = std::stoi(value);
        else if (key == "DBUS_PID")
            mutter->busPid_ = std::stoi(value);
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", mutter->bus_.c_str(), 1);
    return mutter;
}

HeadlessMutter::~HeadlessMutter() {
    bool ok = false;
    output(std::string(HEADLESS_MUTTER) + " stop '" + dir_ + "'", ok);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

void HeadlessMutter::killMutter() const {
    kill(mutterPid_, SIGKILL);
}

void HeadlessMutter::killBus() const {
    kill(busPid_, SIGKILL);
}
