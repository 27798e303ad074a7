#include "host/headless/simulation.h"

#include "host/headless/output_file.h"
#include "host/headless/simulate_options.h"
#include "host/headless/simulate_report.h"
#include "kernel/attribute_handler.h"
#include "kernel/kernel_exceptions.h"
#include "kernel/universe.h"
#include "render/saver_run.h"
#include "tracery/clock.h"
#include "tracery/random.h"
#include "tracery/tick_observer.h"
#include "tracery/tracery_handlers.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The saver's growth handlers plus an observer that prints a progress line
// every `every` ticks from the simulation thread.
class SimulateModel : public NS_InitialModel::InitialModel {
public:
    // `day`, when given, is moved on by one tick after every tick.
    SimulateModel(std::int64_t every, std::FILE* progress, SteppedClock* day)
        : every_(every), progress_(progress), day_(day) {}

    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        appendTraceryHandlers(universe, list);
        if (every_ <= 0 && day_ == nullptr)
            return;
        NS_AttributeHandler::UniverseForHandler* world = universe;
        lastReport_ = std::chrono::steady_clock::now();
        // Render comes after the tick's Step work, so tick n reads the time
        // of n - 1 ticks after the start: the first tick sees HH:MM:00.000.
        list.push_back(new TickObserver(world, [this, world](std::int64_t tick) {
            if (day_ != nullptr)
                day_->advance();
            if (every_ > 0 && tick % every_ == 0)
                report(*world, tick);
        }));
    }

private:
    std::int64_t every_;
    std::FILE* progress_;
    SteppedClock* day_;
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

// The saver's tick: the virtual day of --from moves on by this much per tick.
constexpr std::int64_t TickMilliseconds = 30;

// Output that silently went nowhere (a full disk, a closed pipe) must not end
// in success.
bool flushedCleanly(std::FILE* stream) {
    return std::fflush(stream) == 0 && std::ferror(stream) == 0;
}

// The world at the end of the run, as the options ask: the ASCII picture on
// `text`, the dump in its file or on standard output. Returns the status.
ExitStatus writeResults(const SimulateOptions& options, NS_Universe::Universe& universe,
                        OutputFile* dumpFile, std::FILE* text) {
    ExitStatus status = ExitStatus::Ok;
    if (options.ascii) {
        const std::string picture = renderAsciiField(universe);
        std::fputs(picture.c_str(), text);
    }
    if (!options.dumpPath.empty()) {
        auto writeDump = [&](std::FILE* out) {
            return writeWorldDump(out, universe, universe.ticksRun());
        };
        std::string problem;
        const bool written = dumpFile ? dumpFile->write(writeDump, problem)
                                      : writeDump(stdout) && flushedCleanly(stdout);
        if (!written) {
            if (problem.empty())
                problem = "writing the dump to standard output failed";
            std::fprintf(stderr, "veltrane: %s\n", problem.c_str());
            status = ExitStatus::Usage;
        }
    }
    if (!flushedCleanly(text) && status == ExitStatus::Ok) {
        std::fprintf(stderr, "veltrane: writing to standard %s failed\n",
                     text == stdout ? "output" : "error");
        status = ExitStatus::Usage;
    }
    return status;
}

// Builds the world with the options' model and clock, runs it to its tick
// limit and writes what was asked for.
ExitStatus simulate(const SimulateOptions& options, Clock& clock, SimulateModel& model,
                    std::uint32_t seed, OutputFile* dumpFile, std::FILE* text) {
    SaverRunSetup setup;
    setup.model = &model;
    setup.clock = &clock;
    setup.options.pacing = NS_TimeService::Pacing::Virtual;
    setup.options.tickLimit = options.ticks;
    setup.options.onThreadStart = [seed] { seedRandom(seed); };
    std::unique_ptr<SaverRun> run;
    try {
        run = std::make_unique<SaverRun>(setup);
    } catch (...) {
        const std::string what = NS_KernelExceptions::describeCurrentException();
        NS_KernelExceptions::freeCurrentException();
        std::fprintf(stderr, "veltrane: the simulated world could not be built (%s)\n",
                     what.c_str());
        return ExitStatus::Environment;
    }
    while (!run->waitUntilEnded(1000)) {
    }
    if (run->failed()) {
        std::fprintf(stderr, "veltrane: the simulation failed after %lld ticks (%s)\n",
                     static_cast<long long>(run->ticks()), run->failureMessage().c_str());
        return ExitStatus::SimulationFailed;
    }
    const ExitStatus status = writeResults(options, *run->universe(), dumpFile, text);
    if (!run->finish()) {
        std::fprintf(stderr, "veltrane: tearing down the simulated world failed (%s)\n",
                     run->teardownError().c_str());
        return ExitStatus::SimulationFailed;
    }
    return status;
}

} // namespace

ExitStatus runSimulation(const SimulateOptions& options) {
    // With the dump on standard output, everything else goes to standard error
    // so the dump can be piped as it is.
    const bool dumpToStdout = options.dumpPath == "-";
    std::FILE* text = dumpToStdout ? stderr : stdout;

    // Without --time or --from the picture follows the machine's clock, as the
    // saver's does.
    SystemClock systemClock;
    FixedClock fixedClock(options.hour.value_or(0), options.minute.value_or(0),
                          systemClock.calendarSeconds());
    SteppedClock dayClock(options.from ? options.from->hour : 0,
                          options.from ? options.from->minute : 0, TickMilliseconds,
                          systemClock.calendarSeconds());
    Clock& clock = options.from   ? static_cast<Clock&>(dayClock)
                   : options.hour ? static_cast<Clock&>(fixedClock)
                                  : static_cast<Clock&>(systemClock);
    const std::uint32_t seed =
        options.seed.value_or(static_cast<std::uint32_t>(systemClock.calendarSeconds()));

    // A named dump is checked now and written, whole or not at all, at the end
    // (as the pictures are): a failed run never truncates an earlier dump, and
    // a FIFO without a reader fails at once instead of blocking.
    std::unique_ptr<OutputFile> dumpFile;
    if (!options.dumpPath.empty() && !dumpToStdout) {
        std::string problem;
        dumpFile = OutputFile::prepare(options.dumpPath, problem);
        if (!dumpFile) {
            std::fprintf(stderr, "veltrane: %s\n", problem.c_str());
            return ExitStatus::Usage;
        }
    }

    SimulateModel model(options.every, text, options.from ? &dayClock : nullptr);
    return simulate(options, clock, model, seed, dumpFile.get(), text);
}
