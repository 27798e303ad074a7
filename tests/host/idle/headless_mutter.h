#pragma once

#include <memory>
#include <string>
#include <sys/types.h>

// A private headless mutter on a session bus of its own
// (scripts/lib/headless-mutter), stopped with its bus on destruction. While it
// lives, the test process's DBUS_SESSION_BUS_ADDRESS names its bus.
class HeadlessMutter {
public:
    static bool installed();
    // Started and answering, or nullptr (its log is on stderr).
    static std::unique_ptr<HeadlessMutter> start();
    ~HeadlessMutter();
    HeadlessMutter(const HeadlessMutter&) = delete;
    HeadlessMutter& operator=(const HeadlessMutter&) = delete;

    const std::string& busAddress() const { return bus_; }
    // Its Wayland socket's full path, for $WAYLAND_DISPLAY.
    const std::string& display() const { return display_; }
    // "DBUS_SESSION_BUS_ADDRESS=..." for helper programs.
    std::string busEnvironment() const { return "DBUS_SESSION_BUS_ADDRESS=" + bus_; }
    // SIGKILL, as a crash would end them.
    void killMutter() const;
    void killBus() const;

private:
    HeadlessMutter() = default;
    std::string bus_, dir_, display_;
    pid_t mutterPid_ = 0, busPid_ = 0;
};
