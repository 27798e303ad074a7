#include "tests/host/app/watched_session.h"

#include "tests/host/idle/headless_mutter.h"
#include "tests/host/idle/idle_test_support.h"
#include "tests/host/idle/piped_program.h"
#include "tests/host/wayland/wayland_test_support.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>

namespace {

// No session bus: the GNOME source is not the one under test.
const std::string noBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/veltrane-test-bus";

// A key the saver gets: sent this long after the tool's new device.
constexpr int keyPauseMs = 300;

// The inhibitor test client, mapped and holding zwp_idle_inhibitor_v1.
class WaylandInhibition final : public IdleInhibition {
public:
    explicit WaylandInhibition(const std::string& display)
        : ready_("/tmp/veltrane-watch-inhibitor-" + std::to_string(getpid())) {
        std::remove(ready_.c_str());
        client_ =
            std::make_unique<ChildProcess>(std::vector<std::string>{IDLE_INHIBITOR, ready_},
                                           std::vector<std::string>{"WAYLAND_DISPLAY=" + display});
        held_ = eventually(10000, [&] { return access(ready_.c_str(), F_OK) == 0; });
    }
    ~WaylandInhibition() override {
        client_.reset();
        std::remove(ready_.c_str());
    }
    bool held() const { return held_; }

private:
    std::string ready_;
    std::unique_ptr<ChildProcess> client_;
    bool held_ = false;
};

// The inhibition once held, or nullptr.
template <typename Inhibition, typename... Arguments>
std::unique_ptr<IdleInhibition> hold(const Arguments&... arguments) {
    auto inhibition = std::make_unique<Inhibition>(arguments...);
    if (!inhibition->held())
        return nullptr;
    return inhibition;
}

class SwaySession final : public WatchedSession {
public:
    explicit SwaySession(std::unique_ptr<Compositor> compositor)
        : compositor_(std::move(compositor)) {}
    std::vector<std::string> environment() const override {
        return {"WAYLAND_DISPLAY=" + compositor_->display(), "DISPLAY", noBus};
    }
    int outputsShown(pid_t saver) const override {
        const std::vector<pid_t> processes = childrenOf(saver);
        std::set<std::string> shown;
        for (const SaverSurface& surface : compositor_->saverSurfaces())
            if (surface.fullscreen &&
                std::count(processes.begin(), processes.end(), surface.pid) == 1 &&
                compositor_->capture(surface).litPixels() >= 20)
                shown.insert(surface.output);
        return static_cast<int>(shown.size());
    }
    bool typeKey() override {
        compositor_->typeKey(); // wtype, the key 300 ms after its keyboard
        return true;
    }
    std::unique_ptr<IdleInhibition> inhibit() override {
        return hold<WaylandInhibition>(compositor_->display());
    }
    void killServer() override { compositor_->kill(); }

private:
    std::unique_ptr<Compositor> compositor_;
};

class KwinSession final : public WatchedSession {
public:
    explicit KwinSession(std::unique_ptr<IdleTestCompositor> compositor)
        : compositor_(std::move(compositor)) {}
    std::vector<std::string> environment() const override {
        return {"WAYLAND_DISPLAY=" + compositor_->display(), "DISPLAY", noBus};
    }
    int outputsShown(pid_t saver) const override {
        return static_cast<int>(childrenOf(saver).size());
    }
    bool typeKey() override { return compositor_->typeKey(keyPauseMs); }
    std::unique_ptr<IdleInhibition> inhibit() override {
        return hold<WaylandInhibition>(compositor_->display());
    }
    void killServer() override { compositor_->kill(); }

private:
    std::unique_ptr<IdleTestCompositor> compositor_;
};

// gnome-session's inhibitor, from its stand-in on mutter's bus.
class GnomeInhibition final : public IdleInhibition {
public:
    GnomeInhibition() : desk_(std::vector<std::string>{SESSION_STAND_IN}) {
        held_ = desk_.readLine(10000) == "ready" && desk_.ask("inhibit") == "ok";
    }
    ~GnomeInhibition() override {
        if (held_)
            desk_.ask("uninhibit");
    }
    bool held() const { return held_; }

private:
    PipedProgram desk_;
    bool held_ = false;
};

class MutterSession final : public WatchedSession {
public:
    MutterSession(std::unique_ptr<HeadlessMutter> mutter, std::unique_ptr<PipedProgram> input)
        : mutter_(std::move(mutter)), input_(std::move(input)) {}
    std::vector<std::string> environment() const override {
        return {"WAYLAND_DISPLAY=" + mutter_->display(), mutter_->busEnvironment(), "DISPLAY"};
    }
    int outputsShown(pid_t saver) const override {
        return static_cast<int>(childrenOf(saver).size());
    }
    // The RemoteDesktop session's keyboard was made at its start, before
    // any saver: the key needs no pause.
    bool typeKey() override { return input_->ask("key") == "ok"; }
    std::unique_ptr<IdleInhibition> inhibit() override { return hold<GnomeInhibition>(); }
    void killServer() override { mutter_->killMutter(); }

private:
    std::unique_ptr<HeadlessMutter> mutter_;
    std::unique_ptr<PipedProgram> input_;
};

std::unique_ptr<WatchedSession> startMutter(std::string& why) {
    if (!HeadlessMutter::installed()) {
        why = "mutter (headless)";
        return nullptr;
    }
    auto mutter = HeadlessMutter::start();
    if (!mutter) {
        why = "headless-mutter did not start (its log is on stderr)";
        return nullptr;
    }
    // Its bus is the test's now (HeadlessMutter::start).
    auto input = std::make_unique<PipedProgram>(std::vector<std::string>{REMOTE_INPUT});
    if (input->readLine(10000) != "ready") {
        why = "no input through mutter's RemoteDesktop API";
        return nullptr;
    }
    return std::make_unique<MutterSession>(std::move(mutter), std::move(input));
}

} // namespace

const char* sessionName(SessionKind kind) {
    switch (kind) {
    case SessionKind::Sway:
        return "Sway";
    case SessionKind::Kwin:
        return "Kwin";
    case SessionKind::Mutter:
        return "Mutter";
    }
    return "?";
}

void PrintTo(SessionKind kind, std::ostream* out) {
    *out << sessionName(kind);
}

std::unique_ptr<WatchedSession> WatchedSession::start(SessionKind kind, std::string& why) {
    switch (kind) {
    case SessionKind::Sway: {
        auto compositor = Compositor::startPrivate("1024x768", why);
        if (!compositor || compositor->createOutput().empty()) {
            why = compositor ? "sway made no second output" : why;
            return nullptr;
        }
        return std::make_unique<SwaySession>(std::move(compositor));
    }
    case SessionKind::Kwin: {
        auto compositor = IdleTestCompositor::start(CompositorKind::Kwin, why);
        return compositor ? std::make_unique<KwinSession>(std::move(compositor)) : nullptr;
    }
    case SessionKind::Mutter:
        return startMutter(why);
    }
    return nullptr;
}
