#include "render/saver_run.h"

#include "kernel/kernel_exceptions.h"
#include "render/saver_model.h"
#include "tracery/clock.h"
#include "tracery/field_grid.h"

#include <stdexcept>
#include <utility>

namespace {
// Claimed by the one live run. Atomic because hosts may build runs from
// different threads over the process's life (never at once).
std::atomic<bool> runLive{false};
} // namespace

SaverRun::Claim::Claim() {
    bool expected = false;
    if (!runLive.compare_exchange_strong(expected, true, std::memory_order_acq_rel))
        throw std::logic_error("a saver run is already live in this process; "
                               "finish it before starting another");
}

SaverRun::Claim::~Claim() {
    runLive.store(false, std::memory_order_release);
}

bool SaverRun::Bound::makeCurrent() {
    const bool bound = host_.makeCurrent();
    if (!bound)
        bindFailed_.store(true, std::memory_order_release);
    return bound;
}

void SaverRun::Bound::present() {
    host_.present();
    presents_.fetch_add(1, std::memory_order_relaxed);
}

SaverRun::SaverRun(const SaverRunSetup& setup) {
    install(setup);
    try {
        NS_InitialModel::InitialModel& model = setup.model ? *setup.model : saverModel();
        universe_ = std::make_unique<NS_Universe::Universe>(model, releasingOptions(setup.options));
    } catch (...) {
        // The claim is released by its own destructor as the exception leaves.
        uninstall();
        throw;
    }
}

SaverRun::~SaverRun() {
    finish();
    uninstall();
}

void SaverRun::install(const SaverRunSetup& setup) {
    // A previous run's clock picture must not show through: the field starts
    // dark, as at program start.
    FieldGrid::shared().clear();
    if (setup.clock != nullptr)
        pinnedClock_ = std::make_unique<ScopedClock>(*setup.clock);
    if (setup.target != nullptr) {
        bound_ = std::make_unique<Bound>(*setup.target, bindFailed_);
        setDrawingTarget(bound_.get());
    }
}

void SaverRun::uninstall() noexcept {
    if (bound_) {
        setDrawingTarget(nullptr);
        bound_.reset();
    }
    pinnedClock_.reset();
}

NS_Universe::RunOptions SaverRun::releasingOptions(const NS_Universe::RunOptions& given) {
    NS_Universe::RunOptions options = given;
    if (!bound_)
        return options;
    // The Loader made the context current on the simulation thread. A context
    // still current on a thread that has ended can be neither deleted from
    // another thread (WGL answers ERROR_BUSY) nor freed (GLX, EGL): let it go
    // as the thread ends, whatever ended it.
    options.onThreadEnd = [hostEnd = given.onThreadEnd, target = bound_.get()] {
        if (hostEnd)
            hostEnd();
        target->releaseCurrent();
    };
    return options;
}

bool SaverRun::finish() {
    if (finished_)
        return finishedCleanly_;
    finished_ = true;
    if (!universe_)
        return finishedCleanly_;
    finalTicks_ = universe_->ticksRun();
    failedAtFinish_ = universe_->simulationFailed();
    failureAtFinish_ = universe_->failureMessage();
    // Released before the delete: a universe whose destructor throws must not
    // be destroyed twice.
    NS_Universe::Universe* ending = universe_.release();
    try {
        delete ending;
    } catch (...) {
        teardownError_ = NS_KernelExceptions::describeCurrentException();
        NS_KernelExceptions::freeCurrentException();
        finishedCleanly_ = false;
    }
    return finishedCleanly_;
}

bool SaverRun::failed() const {
    return universe_ ? universe_->simulationFailed() : failedAtFinish_;
}

std::string SaverRun::failureMessage() const {
    return universe_ ? universe_->failureMessage() : failureAtFinish_;
}

bool SaverRun::waitUntilEnded(int milliseconds) {
    return !universe_ || universe_->waitUntilEnded(milliseconds);
}

std::int64_t SaverRun::ticks() const {
    return universe_ ? universe_->ticksRun() : finalTicks_;
}
