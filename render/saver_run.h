#pragma once

#include "kernel/initial_model.h"
#include "kernel/universe.h"
#include "render/drawing_target.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class Clock;
class ScopedClock;

// What one run of the saver is made of. Only the drawing target is needed to
// show the saver; everything else has the saver's own default.
struct SaverRunSetup {
    // Installed as the process-wide drawing target for the run. Null for a run
    // that draws nothing (a model without the Loader). Not owned; must outlive
    // the run.
    DrawingTarget* target = nullptr;
    // The model the universe is built from; null: the process's saverModel().
    // Not owned.
    NS_InitialModel::InitialModel* model = nullptr;
    // Made the process's current clock for the run, then the previous one is
    // restored; null leaves the current clock alone. Not owned.
    Clock* clock = nullptr;
    // Pacing, tick limit and thread start hook of the universe. An
    // onThreadEnd given here runs first; the run then releases the context.
    NS_Universe::RunOptions options;
};

// One saver run, from the installed drawing target to the last freed handler.
//
// The construction installs the process-wide values a universe reads (drawing
// target, clock, an empty field grid) and builds the universe, whose
// simulation thread then ticks until the run is finished or its tick limit is
// reached. When that thread ends, however it ends, it releases the GL context
// it made current, so the owner can delete the context afterwards.
//
// Threads: construction, finish() and destruction belong to the owner's
// thread (never the simulation thread), and so do the queries below. Only one
// run may be live in a process, because the values it installs are process-
// wide: building a second one while the first is live throws std::logic_error
// and leaves the first untouched.
//
// Teardown order: finish() stops the simulation thread and destroys the
// universe (objects, then handlers); only the destructor gives the process-
// wide values back. A host deletes its context between the two.
class SaverRun {
public:
    // Throws std::logic_error when another run is live, and whatever building
    // the universe throws (a kernel exception pointer, for instance); nothing
    // stays installed then.
    explicit SaverRun(const SaverRunSetup& setup);
    // Finishes the run if that has not happened, then restores the clock and
    // clears the drawing target. Never throws.
    ~SaverRun();
    SaverRun(const SaverRun&) = delete;
    SaverRun& operator=(const SaverRun&) = delete;

    // Stops the simulation thread (it finishes its tick) and destroys the
    // universe. When it returns no thread uses the GL context any more. False
    // when the teardown failed (a handler threw); teardownError() then says
    // what. Idempotent: later calls return the first call's result.
    bool finish();

    // True once the simulation thread has ended because of an error. Stays
    // true after finish().
    bool failed() const;
    // What failed, once failed() (empty before): for an exit message.
    std::string failureMessage() const;
    // True when the Loader could not make the target's context current: the
    // run goes on without drawing. Never set for a run without a target.
    bool cannotDraw() const { return bindFailed_.load(std::memory_order_acquire); }
    // Once finish() returned false: what the teardown threw.
    const std::string& teardownError() const { return teardownError_; }

    // Waits up to the timeout for the simulation thread to end by itself (tick
    // limit or failure); true if it has, or if the run is finished.
    bool waitUntilEnded(int milliseconds);
    // Ticks completed so far; after finish(), the final count.
    std::int64_t ticks() const;
    // Frames presented so far, fewer than ticks() when the target refused some (see
    // DrawingTarget::frameWanted); after finish(), the final count. May be read while the
    // simulation thread runs. Zero for a run without a target.
    std::int64_t framesDrawn() const { return bound_ ? bound_->presents() : 0; }

    // The universe, until finish(); null afterwards. Objects and handlers may
    // be read from the owner's thread once waitUntilEnded returned true.
    NS_Universe::Universe* universe() { return universe_.get(); }

private:
    // The installed target: forwards to the host's, notes a failed bind so
    // the host can tell a black saver from a drawing one, and counts presents.
    class Bound final : public DrawingTarget {
    public:
        Bound(DrawingTarget& host, std::atomic<bool>& bindFailed)
            : host_(host), bindFailed_(bindFailed) {}
        bool makeCurrent() override;
        bool frameWanted() override { return host_.frameWanted(); }
        void present() override;
        void releaseCurrent() override { host_.releaseCurrent(); }
        int width() const override { return host_.width(); }
        int height() const override { return host_.height(); }
        std::int64_t presents() const { return presents_.load(std::memory_order_relaxed); }

    private:
        DrawingTarget& host_;
        std::atomic<bool>& bindFailed_;
        std::atomic<std::int64_t> presents_{0};
    };

    // Claims the process's one run; released by the destructor (or by a
    // constructor that fails after claiming).
    struct Claim {
        Claim();
        ~Claim();
        Claim(const Claim&) = delete;
        Claim& operator=(const Claim&) = delete;
    };

    Claim claim_;
    std::atomic<bool> bindFailed_{false};
    std::unique_ptr<Bound> bound_;
    std::unique_ptr<ScopedClock> pinnedClock_;
    std::unique_ptr<NS_Universe::Universe> universe_;
    bool finished_ = false;
    bool finishedCleanly_ = true;
    bool failedAtFinish_ = false;
    std::string failureAtFinish_;
    std::string teardownError_;
    std::int64_t finalTicks_ = 0;

    void install(const SaverRunSetup& setup);
    void uninstall() noexcept;
    NS_Universe::RunOptions releasingOptions(const NS_Universe::RunOptions& given);
};
