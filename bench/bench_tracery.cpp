// Cost of one tick of the headless tracery model (growth handlers, virtual
// pacing), measured on the simulation thread itself: the thread's CPU time
// between consecutive ticks. Two regimes:
//   steady state  - the clock picture 12:34, after a warm-up;
//   at the cap    - every cell lit, so growth runs into the 500-guide limit
//                   and stays there; only ticks that start at the cap count.
// Reported as counters: median and p99 in microseconds.
#include "kernel/universe.h"
#include "tracery/clock.h"
#include "tracery/field_grid.h"
#include "tracery/generative_field.h"
#include "tracery/random.h"
#include "tracery/tick_observer.h"
#include "tracery/tracery_handlers.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

namespace {

constexpr std::int64_t WarmUpTicks = 3000;
constexpr std::int64_t MeasuredTicks = 6000;

double threadCpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

class BenchModel : public NS_InitialModel::InitialModel {
public:
    explicit BenchModel(bool lightEverything) : lightEverything_(lightEverything) {}

    std::vector<double> samples;
    std::int64_t maxGuideCount = 0;

    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        appendTraceryHandlers(universe, list);
        auto* field = dynamic_cast<GenerativeField*>(list.front());
        list.push_back(new TickObserver(universe, [this, field](std::int64_t tick) {
            const double now = threadCpuMicros();
            const bool atCap = field->guidingPointCount() >= 500;
            maxGuideCount = std::max<std::int64_t>(maxGuideCount, field->guidingPointCount());
            if (tick > WarmUpTicks && (!lightEverything_ || wasAtCap_))
                samples.push_back(now - last_);
            if (lightEverything_ && tick == 2) {
                // After the first paint: light the whole plane; the clock is
                // fixed, so nothing repaints it.
                for (int c = 0; c < FieldGrid::Columns; ++c)
                    for (int r = 0; r < FieldGrid::Rows; ++r)
                        FieldGrid::shared().set(c, r, 1.0);
            }
            wasAtCap_ = atCap;
            last_ = threadCpuMicros();
        }));
    }

private:
    bool lightEverything_;
    bool wasAtCap_ = false;
    double last_ = 0.0;
};

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

void runModel(benchmark::State& state, bool lightEverything) {
    FixedClock clock(12, 34, 0);
    ScopedClock useClock(clock);
    for (auto _ : state) {
        BenchModel model(lightEverything);
        NS_Universe::RunOptions options;
        options.pacing = NS_TimeService::Pacing::Virtual;
        options.tickLimit = WarmUpTicks + MeasuredTicks;
        options.onThreadStart = [] { seedRandom(7); };
        NS_Universe::Universe universe(model, options);
        while (!universe.waitUntilEnded(1000)) {
        }
        if (universe.simulationFailed())
            state.SkipWithError("the simulation failed");
        state.counters["median_us"] = percentile(model.samples, 0.5);
        state.counters["p99_us"] = percentile(model.samples, 0.99);
        state.counters["ticks_measured"] = static_cast<double>(model.samples.size());
        state.counters["max_guides"] = static_cast<double>(model.maxGuideCount);
    }
    FieldGrid::shared().clear();
}

void BM_TickSteadyState(benchmark::State& state) {
    runModel(state, false);
}
void BM_TickAtGuideCap(benchmark::State& state) {
    runModel(state, true);
}

} // namespace

BENCHMARK(BM_TickSteadyState)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickAtGuideCap)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
