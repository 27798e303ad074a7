#pragma once
// Desktop sessions of a test's own for `veltrane --idle` to watch, each with
// two outputs: a headless sway 1.7 (a second output made with create_output),
// a headless KWin 5.27 and a headless mutter 43 with two virtual monitors, on
// a session bus of its own. Each says how the watcher reaches it, how a key
// reaches its seat, how an application holds off idleness and how many outputs
// a saver shows on.

#include <iosfwd>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

enum class SessionKind { Sway, Kwin, Mutter };
// "Sway", "Kwin", "Mutter": for test names and messages.
const char* sessionName(SessionKind kind);
void PrintTo(SessionKind kind, std::ostream* out);

// An application's hold on the session's idleness (a video player's), let go
// on destruction.
class IdleInhibition {
public:
    virtual ~IdleInhibition() = default;
};

class WatchedSession {
public:
    static constexpr int outputs = 2;

    // Started and answering, or nullptr with `why` (not installed, refused to
    // run).
    static std::unique_ptr<WatchedSession> start(SessionKind kind, std::string& why);
    virtual ~WatchedSession() = default;

    // The watcher's environment: this session's display (and bus), the
    // other kinds' variables removed.
    virtual std::vector<std::string> environment() const = 0;
    // How many outputs the saver `saver` shows on now. sway: its full-screen
    // surfaces showing a picture, one output each, as sway's tree and grim
    // show them. KWin and mutter show a client neither: the saver's
    // processes, as the full screen keeps one per output.
    virtual int outputsShown(pid_t saver) const = 0;
    // A key pressed and released on the seat, as a keyboard of the user's
    // would; true once the compositor has it. The input device exists a
    // moment before the key (see IdleTestCompositor::typeKey).
    virtual bool typeKey() = 0;
    // An application's idle inhibitor, held once this returns; nullptr when
    // it could not be taken. sway and KWin: zwp_idle_inhibitor_v1 on a
    // mapped surface; mutter: an inhibitor of gnome-session's (a stand-in's).
    virtual std::unique_ptr<IdleInhibition> inhibit() = 0;
    // SIGKILL, as a crash would end the compositor.
    virtual void killServer() = 0;
};
