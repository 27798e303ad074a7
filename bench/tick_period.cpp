// Runs a universe of idle handlers on the real 30 ms timer for a few seconds
// and prints the tick rate and the measured tick period, from the timer's own
// stamps and from the wall clock.
#include "kernel/initial_model.h"
#include "kernel/universe.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class StampRecorder : public NS_AttributeHandler::AttributeHandler {
public:
    explicit StampRecorder(NS_AttributeHandler::UniverseForHandler* u) : AttributeHandler(u) {
        setName(L"StampRecorder");
    }
    void handleEvent(const NS_Events::Event& e) override {
        if (e.code != NS_Events::Step)
            return;
        std::lock_guard<std::mutex> lock(mutex);
        wall.push_back(Clock::now());
    }
    std::mutex mutex;
    std::vector<Clock::time_point> wall;
};

class RecorderModel : public NS_InitialModel::InitialModel {
public:
    StampRecorder* recorder = nullptr;
    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        recorder = new StampRecorder(universe);
        list.push_back(recorder);
    }
};

} // namespace

int main(int argc, char** argv) {
    double seconds = 3.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--seconds S]\n", argv[0]);
            return 1;
        }
    }
    if (!(seconds > 0.0 && seconds <= 3600.0)) {
        std::fprintf(stderr, "tick_period: --seconds must be in (0, 3600]\n");
        return 1;
    }

    RecorderModel model;
    std::vector<Clock::time_point> wall;
    std::int64_t ticks = 0;
    bool failed = false;
    {
        NS_Universe::Universe universe(model);
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        ticks = universe.ticksRun();
        failed = universe.simulationFailed();
        std::lock_guard<std::mutex> lock(model.recorder->mutex);
        wall = model.recorder->wall;
    }
    if (failed || wall.size() < 3) {
        std::fprintf(stderr, "tick_period: the simulation did not run\n");
        return 1;
    }
    std::vector<double> gaps;
    for (std::size_t i = 1; i < wall.size(); ++i)
        gaps.push_back(std::chrono::duration<double, std::milli>(wall[i] - wall[i - 1]).count());
    std::sort(gaps.begin(), gaps.end());
    const double span = std::chrono::duration<double>(wall.back() - wall.front()).count();
    std::printf("ticks run:           %lld in %.1f s\n", static_cast<long long>(ticks), seconds);
    std::printf("ticks per second:    %.2f\n", static_cast<double>(wall.size() - 1) / span);
    std::printf("tick period (ms):    mean %.3f  median %.3f  p1 %.3f  p99 %.3f\n",
                span * 1000.0 / static_cast<double>(wall.size() - 1), gaps[gaps.size() / 2],
                gaps[gaps.size() / 100], gaps[gaps.size() * 99 / 100]);
    return 0;
}
