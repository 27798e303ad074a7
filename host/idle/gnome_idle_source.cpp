#include "host/idle/gnome_idle_source.h"

#include <algorithm>
#include <cstring>
#include <poll.h>
#include <string_view>

namespace {

constexpr const char* monitorName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* monitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* sessionName = "org.gnome.SessionManager";
constexpr const char* sessionPath = "/org/gnome/SessionManager";
constexpr const char* screenSaverName = "org.gnome.ScreenSaver";
constexpr const char* screenSaverPath = "/org/gnome/ScreenSaver";
// gnome-session's inhibit flag for "idle".
constexpr std::uint32_t inhibitIdle = 8;

GnomeIdleSource& source(void* self) {
    return *static_cast<GnomeIdleSource*>(self);
}

// True and `value` set when `message` is a reply carrying one boolean.
bool readBool(sd_bus_message* message, bool& value) {
    int raw = 0;
    if (sd_bus_message_is_method_error(message, nullptr) ||
        sd_bus_message_read(message, "b", &raw) < 0)
        return false;
    value = raw != 0;
    return true;
}

std::string ownerChangeRule(const char* name) {
    return std::string("type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                       "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='") +
           name + "'";
}

// A call to a service that may be absent: never starts it by activation.
void callOptional(sd_bus* bus, const char* destination, const char* path, const char* interface,
                  const char* member, sd_bus_message_handler_t onReply, void* self,
                  const std::uint32_t* argument = nullptr) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus, &raw, destination, path, interface, member) < 0)
        return;
    GnomeMessage call(raw);
    sd_bus_message_set_auto_start(raw, 0);
    if (argument && sd_bus_message_append(raw, "u", *argument) < 0)
        return;
    sd_bus_call_async(bus, nullptr, raw, onReply, self, 0);
}

} // namespace

GnomeIdleSource::GnomeIdleSource(GnomeBus bus, std::chrono::milliseconds period)
    : bus_(std::move(bus)), period_(period), session_(period) {}

GnomeIdleSource::~GnomeIdleSource() = default;

std::unique_ptr<IdleSource> GnomeIdleSource::create(std::chrono::milliseconds period,
                                                    std::string& reason) {
    sd_bus* raw = nullptr;
    int result = sd_bus_open_user(&raw);
    if (result < 0) {
        reason = std::string("cannot connect to the session bus: ") + std::strerror(-result);
        return nullptr;
    }
    std::unique_ptr<GnomeIdleSource> made(new GnomeIdleSource(GnomeBus(raw), period));
    if (!made->start(reason))
        return nullptr;
    return made;
}

bool GnomeIdleSource::start(std::string& reason) {
    if (!subscribe()) {
        reason = "cannot subscribe to signals on the session bus";
        return false;
    }
    GnomeBusError error;
    sd_bus_message* reply = nullptr;
    int result =
        sd_bus_call_method(bus_.get(), monitorName, monitorPath, monitorName, "AddIdleWatch",
                           &error.error, &reply, "t", static_cast<std::uint64_t>(period_.count()));
    GnomeMessage held(reply);
    if (result < 0 || sd_bus_message_read(reply, "u", &idleWatch_) < 0) {
        reason = std::string("no ") + monitorName + " on the session bus";
        if (result < 0)
            reason += std::string(" (") + (error.text() ? error.text() : "no answer") + ")";
        return false;
    }
    // Already idle for the period (no input since the session began)?
    sd_bus_call_method_async(bus_.get(), nullptr, monitorName, monitorPath, monitorName,
                             "GetIdletime", onIdleTime, this, "");
    askInhibited();
    askLocked();
    return dispatch();
}

bool GnomeIdleSource::subscribe() {
    sd_bus* bus = bus_.get();
    bool ok = sd_bus_match_signal(bus, nullptr, monitorName, monitorPath, monitorName, "WatchFired",
                                  onWatchFired, this) >= 0;
    for (const char* member : {"InhibitorAdded", "InhibitorRemoved"})
        ok = ok && sd_bus_match_signal(bus, nullptr, sessionName, sessionPath, sessionName, member,
                                       onInhibitorChange, this) >= 0;
    ok = ok && sd_bus_match_signal(bus, nullptr, screenSaverName, screenSaverPath, screenSaverName,
                                   "ActiveChanged", onActiveChanged, this) >= 0;
    for (const char* name : {monitorName, sessionName, screenSaverName})
        ok = ok && sd_bus_add_match(bus, nullptr, ownerChangeRule(name).c_str(), onOwnerChanged,
                                    this) >= 0;
    return ok;
}

int GnomeIdleSource::fd() const {
    return sd_bus_get_fd(bus_.get());
}

std::chrono::milliseconds GnomeIdleSource::wakeAfter() const {
    using namespace std::chrono;
    const auto now = GnomeSessionState::Clock::now();
    std::optional<GnomeSessionState::Clock::time_point> next = session_.nextChange(now);
    std::uint64_t busDeadline = 0;
    // sd-bus's deadlines are CLOCK_MONOTONIC, steady_clock's clock.
    if (sd_bus_get_timeout(bus_.get(), &busDeadline) >= 0 && busDeadline != UINT64_MAX) {
        GnomeSessionState::Clock::time_point deadline{microseconds(busDeadline)};
        if (!next || deadline < *next)
            next = deadline;
    }
    if (!next)
        return milliseconds(-1);
    return std::max(ceil<milliseconds>(*next - now), milliseconds(0));
}

bool GnomeIdleSource::dispatch() {
    if (!lost_ && !process())
        lost_ = true;
    // Requests are written as they are made; what the socket did not take
    // then goes now (the watcher polls for input only).
    if (!lost_ && (sd_bus_get_events(bus_.get()) & POLLOUT) != 0)
        sd_bus_flush(bus_.get());
    settle();
    return !lost_;
}

bool GnomeIdleSource::process() {
    int result = 0;
    while ((result = sd_bus_process(bus_.get(), nullptr)) > 0) {
    }
    return result >= 0 && sd_bus_is_open(bus_.get()) > 0;
}

void GnomeIdleSource::settle() {
    state_ = session_.state(GnomeSessionState::Clock::now());
}

void GnomeIdleSource::armUserActiveWatch() {
    if (activeWatch_ != 0 || arming_)
        return;
    arming_ = true;
    sd_bus_call_method_async(bus_.get(), nullptr, monitorName, monitorPath, monitorName,
                             "AddUserActiveWatch", onUserActiveWatch, this, "");
    // Input between the idle watch's firing and the new watch fires nothing:
    // the idle time, read after the watch is added, tells.
    sd_bus_call_method_async(bus_.get(), nullptr, monitorName, monitorPath, monitorName,
                             "GetIdletime", onIdleTime, this, "");
}

void GnomeIdleSource::askInhibited() {
    callOptional(bus_.get(), sessionName, sessionPath, sessionName, "IsInhibited", onInhibited,
                 this, &inhibitIdle);
}

void GnomeIdleSource::askLocked() {
    callOptional(bus_.get(), screenSaverName, screenSaverPath, screenSaverName, "GetActive",
                 onLocked, this);
}

int GnomeIdleSource::onWatchFired(sd_bus_message* message, void* self, sd_bus_error*) {
    GnomeIdleSource& me = source(self);
    std::uint32_t id = 0;
    if (sd_bus_message_read(message, "u", &id) < 0 || id == 0)
        return 0;
    if (id == me.idleWatch_) {
        me.session_.idleFor(true);
        me.armUserActiveWatch();
    } else if (id == me.activeWatch_) {
        // One-shot: Mutter has dropped it.
        me.activeWatch_ = 0;
        me.session_.idleFor(false);
    }
    return 0;
}

int GnomeIdleSource::onOwnerChanged(sd_bus_message* message, void* self, sd_bus_error*) {
    GnomeIdleSource& me = source(self);
    const char* name = nullptr;
    const char* before = nullptr;
    const char* after = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &before, &after) < 0)
        return 0;
    const std::string_view which(name);
    const bool present = after != nullptr && *after != '\0';
    if (which == monitorName) {
        // Our watches lived in the owner that left.
        if (before != nullptr && *before != '\0')
            me.lost_ = true;
    } else if (which == sessionName) {
        if (present)
            me.askInhibited();
        else
            me.session_.setInhibited(false, GnomeSessionState::Clock::now());
    } else if (which == screenSaverName) {
        if (present)
            me.askLocked();
        else
            me.session_.setLocked(false);
    }
    return 0;
}

int GnomeIdleSource::onInhibitorChange(sd_bus_message*, void* self, sd_bus_error*) {
    source(self).askInhibited();
    return 0;
}

int GnomeIdleSource::onActiveChanged(sd_bus_message* message, void* self, sd_bus_error*) {
    int active = 0;
    if (sd_bus_message_read(message, "b", &active) >= 0)
        source(self).session_.setLocked(active != 0);
    return 0;
}

int GnomeIdleSource::onUserActiveWatch(sd_bus_message* reply, void* self, sd_bus_error*) {
    GnomeIdleSource& me = source(self);
    me.arming_ = false;
    std::uint32_t id = 0;
    // A compositor that cannot watch for input can no longer end an idle period.
    if (sd_bus_message_is_method_error(reply, nullptr) || sd_bus_message_read(reply, "u", &id) < 0)
        me.lost_ = true;
    else
        me.activeWatch_ = id;
    return 0;
}

int GnomeIdleSource::onIdleTime(sd_bus_message* reply, void* self, sd_bus_error*) {
    GnomeIdleSource& me = source(self);
    std::uint64_t idleMs = 0;
    if (sd_bus_message_is_method_error(reply, nullptr) ||
        sd_bus_message_read(reply, "t", &idleMs) < 0)
        return 0;
    if (idleMs < static_cast<std::uint64_t>(me.period_.count())) {
        me.session_.idleFor(false);
    } else if (!me.session_.idle()) {
        me.session_.idleFor(true);
        me.armUserActiveWatch();
    }
    return 0;
}

int GnomeIdleSource::onInhibited(sd_bus_message* reply, void* self, sd_bus_error*) {
    GnomeIdleSource& me = source(self);
    bool inhibited = false;
    // No gnome-session (or one that cannot say): nothing inhibits.
    if (!readBool(reply, inhibited))
        inhibited = false;
    me.session_.setInhibited(inhibited, GnomeSessionState::Clock::now());
    return 0;
}

int GnomeIdleSource::onLocked(sd_bus_message* reply, void* self, sd_bus_error*) {
    bool locked = false;
    if (!readBool(reply, locked))
        locked = false;
    source(self).session_.setLocked(locked);
    return 0;
}
