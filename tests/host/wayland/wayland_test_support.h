#pragma once
// What the tests under a real headless sway share: the compositor of the test
// run (scripts/test starts it and names it in VELTRANE_TEST_WAYLAND_DISPLAY and
// SWAYSOCK) or a private one for tests that change outputs or kill it, the
// saver's surfaces as sway's window tree shows them, screenshots and input.

#include "tests/host/child_process.h"
#include "tests/host/server_required.h"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Bounds for a busy two-core machine running Mesa's software renderer on a
// compositor that renders with pixman.
constexpr int startupMs = 15000; // surface up and showing frames
constexpr int exitMs = 5000;     // gone after the event that ends it
constexpr int settleMs = 800;    // still running after input it must ignore

// stdout of a shell command line, and whether it exited with 0.
struct CommandResult {
    std::string output;
    bool ok = false;
};
CommandResult runCommand(const std::string& command);

// Single-quoted for sh.
std::string shellQuoted(const std::string& text);

// One saver surface in sway's tree: its client's pid, its output, the
// logical rectangle it covers and whether sway shows it full screen.
struct SaverSurface {
    pid_t pid = 0;
    std::string output;
    int x = 0, y = 0, width = 0, height = 0;
    bool fullscreen = false;
};

// Pixels as grim captured them, 8-bit RGB rows.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    std::uint32_t pixel(int x, int y) const; // 0xRRGGBB
    // Pixels that are not black, sampled every `step` pixels both ways.
    int litPixels(int step = 4) const;
};

class Compositor {
public:
    // The test run's compositor, or nullptr when none was started (the
    // caller skips).
    static std::unique_ptr<Compositor> shared();
    // A compositor of the test's own with outputs of `mode` (WxH), stopped
    // on destruction; nullptr when no compositor runs for the test run.
    static std::unique_ptr<Compositor> makePrivate(const std::string& mode = "1280x1024");
    // The same whether or not the test run has a compositor; nullptr with
    // `why` when none starts here (sway missing or refusing to run).
    static std::unique_ptr<Compositor> startPrivate(const std::string& mode, std::string& why);
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // "WAYLAND_DISPLAY=<socket>" plus `more`, for the saver's environment.
    std::vector<std::string> environment(std::vector<std::string> more = {}) const;
    const std::string& display() const { return display_; }
    pid_t pid() const { return pid_; }

    CommandResult swaymsg(const std::string& arguments) const;
    std::vector<SaverSurface> saverSurfaces() const;
    // Names of the outputs, in sway's order.
    std::vector<std::string> outputs() const;
    // Adds a headless output; returns its name ("" on failure).
    std::string createOutput();

    // grim's capture of a logical rectangle or of one output; empty on failure.
    Screenshot capture(const SaverSurface& surface) const;
    Screenshot captureOutput(const std::string& output) const;
    // True once the surface shows a picture with at least `minimum` lit
    // pixels (sampled) within the timeout.
    bool showsPicture(const SaverSurface& surface, int milliseconds, int minimum = 20) const;

    // Input as a user's devices would make it.
    void typeKey(const std::string& key = "a") const; // after 300 ms
    void moveCursorTo(int x, int y) const;
    void moveCursorBy(int dx, int dy) const;
    void pressButton() const;

    // SIGKILL, as a crash would end it (private compositors only).
    void kill();

private:
    Compositor(std::string display, std::string ipc, pid_t pid, std::string dir);
    std::string run(const std::string& tool) const; // env prefix + tool

    std::string display_, ipc_;
    pid_t pid_ = 0;
    std::string privateDir_; // empty for the shared compositor
    // Headless sway has no pointer of its own; the cursor commands need one.
    std::unique_ptr<ChildProcess> pointerDevice_;
};

// Waits for exactly `count` saver surfaces (full screen ones if asked), each
// showing a picture; returns them, or an empty list on timeout.
std::vector<SaverSurface> waitForSurfaces(const Compositor& compositor, std::size_t count,
                                          bool fullscreen, int milliseconds);

// Skips the test unless a compositor runs for the test run (fails it under
// scripts/test, see server_required.h).
#define REQUIRE_COMPOSITOR(name) REQUIRE_SERVER(name, "a Wayland compositor (a headless sway)")
