// Input into a headless mutter through its org.gnome.Mutter.RemoteDesktop API,
// as a user's devices would make it, for the idle tests. One session, held for
// the tool's life: Mutter ends a session whose creator leaves the bus.
//
// Reads commands on stdin, one a line, and answers each on stdout with "ok"
// once Mutter has taken the input (its call returned), else "error ...":
//   key          a press and release of the A key
//   click        a press and release of the left button
//   move DX DY   relative pointer motion
// "ready" comes first, once the session runs and its keyboard and pointer
// exist: Mutter makes them on first use, so both are used once at the start
// (a shift tap and a there-and-back motion).
#include <cstdint>
#include <iostream>
#include <linux/input-event-codes.h>
#include <sstream>
#include <string>
#include <systemd/sd-bus.h>

namespace {

constexpr const char* service = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* sessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";

struct Session {
    sd_bus* bus = nullptr;
    std::string path;
    std::string error;

    template <typename... Args> bool call(const char* member, const char* types, Args... args) {
        sd_bus_error failure = SD_BUS_ERROR_NULL;
        int result = sd_bus_call_method(bus, service, path.c_str(), sessionInterface, member,
                                        &failure, nullptr, types, args...);
        if (result < 0)
            error = std::string(member) + ": " + (failure.message ? failure.message : "failed");
        sd_bus_error_free(&failure);
        return result >= 0;
    }
    bool key(std::uint32_t code) {
        return call("NotifyKeyboardKeycode", "ub", code, 1) &&
               call("NotifyKeyboardKeycode", "ub", code, 0);
    }
    bool button(std::int32_t code) {
        return call("NotifyPointerButton", "ib", code, 1) &&
               call("NotifyPointerButton", "ib", code, 0);
    }
    bool move(double dx, double dy) { return call("NotifyPointerMotionRelative", "dd", dx, dy); }
};

bool open(Session& session) {
    if (sd_bus_open_user(&session.bus) < 0) {
        session.error = "no session bus";
        return false;
    }
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const char* path = nullptr;
    int result = sd_bus_call_method(session.bus, service, "/org/gnome/Mutter/RemoteDesktop",
                                    service, "CreateSession", &failure, &reply, "");
    if (result >= 0 && sd_bus_message_read(reply, "o", &path) >= 0)
        session.path = path;
    else
        session.error = std::string("CreateSession: ") +
                        (failure.message ? failure.message : "no session path");
    sd_bus_message_unref(reply);
    sd_bus_error_free(&failure);
    return !session.path.empty() && session.call("Start", "") && session.key(KEY_LEFTSHIFT) &&
           session.move(1, 1) && session.move(-1, -1);
}

bool run(Session& session, const std::string& line) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    double dx = 0;
    double dy = 0;
    if (verb == "key")
        return session.key(KEY_A);
    if (verb == "click")
        return session.button(BTN_LEFT);
    if (verb == "move" && words >> dx >> dy)
        return session.move(dx, dy);
    session.error = "unknown command: " + line;
    return false;
}

} // namespace

int main() {
    Session session;
    if (!open(session)) {
        std::cerr << "gnome_remote_input: " << session.error << "\n";
        return 1;
    }
    std::cout << "ready" << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
        if (run(session, line))
            std::cout << "ok" << std::endl;
        else
            std::cout << "error " << session.error << std::endl;
    }
    session.call("Stop", "");
    sd_bus_flush_close_unref(session.bus);
    return 0;
}
