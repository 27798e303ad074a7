#include "host/headless/simulate_mode.h"

#include "host/headless/simulate_options.h"
#include "host/headless/simulate_report.h"
#include "kernel/attribute_handler.h"
#include "kernel/kernel_exceptions.h"
#include "kernel/universe.h"
#include "tracery/clock.h"
#include "tracery/digit_strip.h"
#include "tracery/random.h"
#include "tracery/tick_observer.h"
#include "tracery/tracery_handlers.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The universe's destructor may throw (a handler failing while the objects are
// torn down), and unique_ptr::reset would turn that into std::terminate: delete
// by hand. True when the teardown succeeded.
bool destroyUniverse(std::unique_ptr<NS_Universe::Universe>& universe) {
    NS_Universe::Universe* ending = universe.release();
    try {
        delete ending;
    } catch (...) {
        NS_KernelExceptions::freeCurrentException();
        return false;
    }
    return true;
}

// The saver's growth handlers plus an observer that prints a progress line
// every `every` ticks from the simulation thread.
class SimulateModel : public NS_InitialModel::InitialModel {
public:
    SimulateModel(std::int64_t every, std::FILE* progress) : every_(every), progress_(progress) {}

    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        appendTraceryHandlers(universe, list);
        if (every_ <= 0)
            return;
        NS_AttributeHandler::UniverseForHandler* world = universe;
        lastReport_ = std::chrono::steady_clock::now();
        list.push_back(new TickObserver(world, [this, world](std::int64_t tick) {
            if (tick % every_ == 0)
                report(*world, tick);
        }));
    }

private:
    std::int64_t every_;
    std::FILE* progress_;
    std::chrono::steady_clock::time_point lastReport_;

    void report(NS_AttributeHandler::UniverseForHandler& world, std::int64_t tick) {
        const auto now = std::chrono::steady_clock::now();
        const double micros = std::chrono::duration<double, std::micro>(now - lastReport_).count() /
                              static_cast<double>(every_);
        const WorldCounts counts = countWorld(world);
        auto* kernelUniverse = dynamic_cast<NS_Universe::Universe*>(&world);
        const unsigned long long events =
            kernelUniverse != nullptr ? kernelUniverse->eventsDispatched() : 0ULL;
        std::fprintf(progress_,
                     "tick %lld guides %lld points %lld strokes created %lld growing %lld "
                     "withering %lld events %llu us/tick %.1f\n",
                     static_cast<long long>(tick), static_cast<long long>(counts.guides),
                     static_cast<long long>(counts.points),
                     static_cast<long long>(counts.strokesCreated),
                     static_cast<long long>(counts.strokesGrowing),
                     static_cast<long long>(counts.strokesWithering), events, micros);
        std::fflush(progress_);
        // Leave the printing out of the next interval's figure.
        lastReport_ = std::chrono::steady_clock::now();
    }
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "veltrane: %s\n%s", message.c_str(), simulateUsage());
    return 1;
}

} // namespace

int runSimulateMode(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    SimulateOptions options;
    std::string error;
    if (!parseSimulateOptions(args, options, error))
        return usageError(error);
    if (options.help) {
        std::fputs(simulateUsage(), stdout);
        return 0;
    }

    // With the dump on standard output, everything else goes to standard error
    // so the dump can be piped as it is.
    const bool dumpToStdout = options.dumpPath == "-";
    std::FILE* text = dumpToStdout ? stderr : stdout;

    // Without --time the picture follows the machine's clock, as the saver's does.
    SystemClock systemClock;
    FixedClock fixedClock(options.hour.value_or(0), options.minute.value_or(0),
                          systemClock.calendarSeconds());
    ScopedClock useClock(options.hour.has_value() ? static_cast<Clock&>(fixedClock)
                                                  : static_cast<Clock&>(systemClock));
    const std::uint32_t seed =
        options.seed.value_or(static_cast<std::uint32_t>(systemClock.calendarSeconds()));

    std::FILE* dump = nullptr;
    if (!options.dumpPath.empty() && !dumpToStdout) {
        dump = std::fopen(options.dumpPath.c_str(), "w");
        if (dump == nullptr) {
            std::fprintf(stderr, "veltrane: cannot open '%s' for writing\n",
                         options.dumpPath.c_str());
            return 1;
        }
    } else if (dumpToStdout) {
        dump = stdout;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> dumpFile(
        dump != nullptr && dump != stdout ? dump : nullptr, &std::fclose);

    SimulateModel model(options.every, text);
    NS_Universe::RunOptions run;
    run.pacing = NS_TimeService::Pacing::Virtual;
    run.tickLimit = options.ticks;
    run.onThreadStart = [seed] { seedRandom(seed); };

    std::unique_ptr<NS_Universe::Universe> universe;
    try {
        universe = std::make_unique<NS_Universe::Universe>(model, run);
    } catch (NS_DigitStrip::Exception* e) {
        delete e;
        std::fputs("veltrane: the digit strip resource cannot be read\n", stderr);
        return 2;
    } catch (...) {
        std::fputs("veltrane: the simulated world could not be built\n", stderr);
        return 2;
    }

    while (!universe->waitUntilEnded(1000)) {
    }
    if (universe->simulationFailed()) {
        std::fprintf(stderr, "veltrane: the simulation failed after %lld ticks (%s)\n",
                     static_cast<long long>(universe->ticksRun()),
                     universe->failureMessage().c_str());
        destroyUniverse(universe);
        return 3;
    }

    int status = 0;
    if (options.ascii) {
        const std::string picture = renderAsciiField(*universe);
        std::fputs(picture.c_str(), text);
    }
    if (dump != nullptr) {
        if (!writeWorldDump(dump, *universe, universe->ticksRun()) || std::fflush(dump) != 0) {
            std::fprintf(stderr, "veltrane: writing the dump to '%s' failed\n",
                         options.dumpPath.c_str());
            status = 1;
        }
    }
    if (!destroyUniverse(universe)) {
        std::fputs("veltrane: tearing down the simulated world failed\n", stderr);
        return 3;
    }
    return status;
}
