#pragma once

#include <atomic>
#include <chrono>

// Whether a Wayland surface's next frame is wanted, from its frame callbacks.
// A presented frame asks for a callback unless one is still out; the
// compositor answers it when it shows the surface again, and never while
// nobody can see the surface (a hidden workspace, a covered or minimised
// window, an output powered off, a locked session). Frames stay wanted while
// the callback has been out less than `patience`, so a compositor that
// repaints a little late under load still gets a frame every tick; after
// that, none is wanted until the callback comes. A surface shown again is so
// drawn from the first tick after the callback.
//
// frameWanted() and presented() run on the simulation thread, callbackDone()
// on the window thread, in the connection's dispatch.
class FrameCallbackGate {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds patience{100};

    bool frameWanted(Clock::time_point now) const {
        return !out_.load(std::memory_order_acquire) || now - outSince_ < patience;
    }
    // A frame is presented now; true when it must ask for a callback.
    bool presented(Clock::time_point now) {
        if (out_.load(std::memory_order_acquire))
            return false;
        outSince_ = now;
        out_.store(true, std::memory_order_release);
        return true;
    }
    void callbackDone() { out_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> out_{false};
    Clock::time_point outSince_; // simulation thread only
};
