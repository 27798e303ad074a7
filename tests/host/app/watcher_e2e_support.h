#pragma once
// What the end-to-end tests of `veltrane --idle` share: the real watcher in a
// process group of its own, the saver it shows (its one child, the full
// screen's parent) and the processes under it, and what the run's error
// output tells: the saver's frame reports and, with WAYLAND_DEBUG=client, when
// the saver handed the compositor its first drawn frame.

#include "tests/host/child_process.h"
#include "tests/host/idle/idle_source_driving.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Bounds for a busy two-core machine running Mesa's software renderer, under
// the sanitizers too.
constexpr int showWithinMs = 20000; // the saver up on every output, after the period
constexpr int endWithinMs = 8000;   // the watcher or a saver gone after what ends it
// A saver starting this long before the idle deadline came too early; the
// slack covers the test's own clock reading around the input it sends.
constexpr std::chrono::milliseconds earlySlack{400};

// `veltrane --idle MINUTES --verbose`, `environment` ("NAME=value", or "NAME"
// to remove it) added to the test's, with XDG_RUNTIME_DIR (where its lock
// goes) a scratch folder of its own unless `environment` names one. The
// destructor kills the whole group.
class WatcherRun {
public:
    WatcherRun(double minutes, std::vector<std::string> environment);

    pid_t pid() const { return process_->pid(); }
    // When the watcher was started: the idle period counts from then at the
    // latest.
    std::chrono::system_clock::time_point started() const { return started_; }
    // The saver shown now (the watcher's one child), or 0.
    pid_t saver() const;
    // The exit status if the watcher ended within the timeout.
    std::optional<int> waitExit(int milliseconds) { return process_->waitExit(milliseconds); }
    void signal(int number) { process_->signal(number); }
    // Everything the watcher and its savers wrote on stderr.
    std::string errorOutput() const { return process_->errorOutput(); }
    // The same without WAYLAND_DEBUG's protocol lines, for failure messages.
    std::string messages() const;
    // True once the watcher has said which source it watches (--verbose).
    bool watching(int milliseconds) const;
    // True once no process of the watcher's group is left.
    bool nothingLeft(int milliseconds) const;

private:
    std::unique_ptr<ScratchDir> runtime_;
    std::chrono::system_clock::time_point started_;
    std::unique_ptr<ChildProcess> process_;
};

// True if no saver of `run` appears before `until`.
bool noSaverUntil(const WatcherRun& run, std::chrono::system_clock::time_point until);

// Outputs whose saver reported drawn frames as it ended (VELTRANE_REPORT_FRAMES
// prints one report a process) in `log` from `offset` on.
int outputsThatDrew(const std::string& log, std::size_t offset);

// With WAYLAND_DEBUG=client: true once a client has attached a buffer to a
// surface (drawn a frame and handed it to the compositor) in `log` from
// `offset` on.
bool frameAttached(const std::string& log, std::size_t offset);

// With WAYLAND_DEBUG=client: false while a client has bound a keyboard in
// `log` from `offset` on and none has the keyboard focus yet. A key sent then
// would reach no saver.
bool keyboardFocusSettled(const std::string& log, std::size_t offset);

// With WAYLAND_DEBUG=client: milliseconds from `since` to the first buffer a
// client attached to a surface in `log` from `offset` on (the first frame
// drawn and handed to the compositor), or nothing if none did.
std::optional<double> firstFrameAfter(const std::string& log, std::size_t offset,
                                      std::chrono::system_clock::time_point since);

// Sockets, pipes and the lock file that `watcher` opened (beside its standard
// descriptors 0, 1 and 2 and what it inherited from the test) and `saver`
// holds too.
std::vector<std::string> sharedDescriptors(pid_t watcher, pid_t saver);

// Lines of a sanitizer's report (AddressSanitizer, LeakSanitizer,
// ThreadSanitizer, UBSan's "runtime error:") in `log`, or "".
std::string sanitizerReport(const std::string& log);
