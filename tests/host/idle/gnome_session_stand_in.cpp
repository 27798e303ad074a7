// Stand-ins for gnome-session's org.gnome.SessionManager (its idle inhibitors)
// and gnome-shell's org.gnome.ScreenSaver (the shield), on the session bus of
// the environment, for the idle tests under a headless mutter.
//
// Reads commands on stdin, one a line, and answers each on stdout with "ok"
// once the change is made and its signal sent:
//   inhibit / uninhibit   adds or removes an idle inhibitor (IsInhibited(8)
//                         answers accordingly; InhibitorAdded / Removed)
//   lock / unlock         the shield up or down (GetActive; ActiveChanged)
// "ready" comes first, once both names are owned.
#include <cstdint>
#include <iostream>
#include <poll.h>
#include <string>
#include <systemd/sd-bus.h>
#include <unistd.h>

namespace {

constexpr const char* inhibitorPath = "/org/gnome/SessionManager/Inhibitor1";
constexpr std::uint32_t idleFlag = 8;

struct Desktop {
    sd_bus* bus = nullptr;
    bool inhibited = false;
    bool locked = false;
};

int isInhibited(sd_bus_message* call, void* data, sd_bus_error*) {
    std::uint32_t flags = 0;
    if (sd_bus_message_read(call, "u", &flags) < 0)
        return -EINVAL;
    const bool inhibited = static_cast<Desktop*>(data)->inhibited && (flags & idleFlag) != 0;
    return sd_bus_reply_method_return(call, "b", inhibited);
}

int getActive(sd_bus_message* call, void* data, sd_bus_error*) {
    return sd_bus_reply_method_return(call, "b", static_cast<Desktop*>(data)->locked);
}

const sd_bus_vtable sessionManager[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("IsInhibited", "u", "b", isInhibited, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("InhibitorAdded", "o", 0),
    SD_BUS_SIGNAL("InhibitorRemoved", "o", 0),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable screenSaver[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetActive", "", "b", getActive, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("ActiveChanged", "b", 0),
    SD_BUS_VTABLE_END,
};

bool serve(Desktop& desktop) {
    sd_bus* bus = desktop.bus;
    return sd_bus_add_object_vtable(bus, nullptr, "/org/gnome/SessionManager",
                                    "org.gnome.SessionManager", sessionManager, &desktop) >= 0 &&
           sd_bus_add_object_vtable(bus, nullptr, "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver",
                                    screenSaver, &desktop) >= 0 &&
           sd_bus_request_name(bus, "org.gnome.SessionManager", 0) >= 0 &&
           sd_bus_request_name(bus, "org.gnome.ScreenSaver", 0) >= 0;
}

bool run(Desktop& desktop, const std::string& command) {
    const bool on = command == "inhibit" || command == "lock";
    if (command == "inhibit" || command == "uninhibit") {
        desktop.inhibited = on;
        return sd_bus_emit_signal(
                   desktop.bus, "/org/gnome/SessionManager", "org.gnome.SessionManager",
                   on ? "InhibitorAdded" : "InhibitorRemoved", "o", inhibitorPath) >= 0;
    }
    if (command == "lock" || command == "unlock") {
        desktop.locked = on;
        return sd_bus_emit_signal(desktop.bus, "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver",
                                  "ActiveChanged", "b", on) >= 0;
    }
    return false;
}

// Serves the bus until stdin has a line (true) or ends (false).
bool waitForLine(sd_bus* bus) {
    for (;;) {
        while (sd_bus_process(bus, nullptr) > 0) {
        }
        sd_bus_flush(bus);
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {sd_bus_get_fd(bus), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            return false;
        if (fds[0].revents != 0)
            return true;
    }
}

} // namespace

int main() {
    Desktop desktop;
    if (sd_bus_open_user(&desktop.bus) < 0 || !serve(desktop)) {
        std::cerr << "gnome_session_stand_in: cannot serve on the session bus\n";
        return 1;
    }
    std::cout << "ready" << std::endl;
    std::string line;
    // Lines are short and come one per answer: std::getline finds each whole.
    while (waitForLine(desktop.bus) && std::getline(std::cin, line)) {
        const bool done = run(desktop, line);
        sd_bus_flush(desktop.bus);
        std::cout << (done ? "ok" : "error " + line) << std::endl;
    }
    sd_bus_flush_close_unref(desktop.bus);
    return 0;
}
