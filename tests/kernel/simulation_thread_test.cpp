// The real-time tick source driving a universe. Bounds are loose on purpose:
// assertions rest on the timer's own stamps and on counts, not on how quickly
// a loaded machine wakes the thread.
#include "kernel/time_service.h"
#include "kernel_test_support.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace kernel_test;

namespace {

constexpr std::uint64_t period = 30 * 10000; // 30 ms in stamp units (100 ns)
constexpr std::uint64_t slack = 5 * 10000;

// Records each tick's stamp (on the simulation thread) and can stall one tick.
struct Ticker {
    std::vector<std::uint64_t> stamps;
    std::vector<std::uint32_t> codes;
    std::uint64_t beforeStart = 0;
    int stallTick = -1;
    std::atomic<int> steps{0};
};

TestModel tickerModel(Ticker& t) {
    return TestModel([&t](auto* u, auto& list) {
        auto* h = new TestHandler(u, L"Ticker", nullptr);
        h->reaction = [&t, h](const NS_Events::Event& e) {
            t.codes.push_back(e.code);
            if (e.code != NS_Events::Step)
                return;
            t.stamps.push_back(h->theUniverse()->currentTime().value());
            if (t.steps.fetch_add(1) + 1 == t.stallTick)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        };
        list.push_back(h);
    });
}

NS_Universe::RunOptions realTicks(Ticker& t, std::int64_t limit) {
    NS_Universe::RunOptions options;
    options.tickLimit = limit;
    options.onThreadStart = [&t] { t.beforeStart = NS_TimeService::platformNow().value(); };
    return options;
}

} // namespace

TEST(SimulationThread, FirstTickFiresAtOnceThenFollowsTheThirtyMillisecondGrid) {
    Ticker t;
    TestModel model = tickerModel(t);
    NS_Universe::Universe u(model, realTicks(t, 6));
    ASSERT_TRUE(u.waitUntilEnded(20000));
    ASSERT_EQ(t.stamps.size(), 6u);
    // The timer was armed before the start pass; a first tick that waited a
    // period would carry a stamp later than that.
    EXPECT_LE(t.stamps[0], t.beforeStart);
    for (std::size_t i = 1; i < t.stamps.size(); ++i)
        EXPECT_GE(t.stamps[i] - t.stamps[i - 1], period - slack) << "tick " << i;
    EXPECT_EQ(t.codes.size(), 12u);
    for (std::size_t i = 0; i < t.codes.size(); ++i)
        EXPECT_EQ(t.codes[i], i % 2 == 0 ? NS_Events::Step : NS_Events::Render);
}

TEST(SimulationThread, ALongTickIsFollowedByOneTickNotABurst) {
    Ticker t;
    t.stallTick = 3;
    TestModel model = tickerModel(t);
    NS_Universe::Universe u(model, realTicks(t, 6));
    ASSERT_TRUE(u.waitUntilEnded(20000));
    ASSERT_EQ(t.stamps.size(), 6u);
    // During the 100 ms stall three periods expire; they must arrive as one
    // tick stamped with the latest expiry, not as three back-to-back ticks.
    EXPECT_GE(t.stamps[3] - t.stamps[2], 3 * period - slack);
    for (std::size_t i = 4; i < t.stamps.size(); ++i)
        EXPECT_GE(t.stamps[i] - t.stamps[i - 1], period - slack) << "tick " << i;
}

TEST(SimulationThread, StopRequestEndsAfterACompleteTick) {
    Ticker t;
    TestModel model = tickerModel(t);
    std::thread::id simulation;
    std::thread::id endedOn;
    int ends = 0;
    {
        NS_Universe::RunOptions options;
        options.onThreadStart = [&simulation] { simulation = std::this_thread::get_id(); };
        options.onThreadEnd = [&] { endedOn = std::this_thread::get_id(), ++ends; };
        NS_Universe::Universe u(model, options);
        while (u.ticksRun() < 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(10)); // most likely mid-wait
        EXPECT_FALSE(u.simulationEnded());
    } // the destructor asks the thread to stop and waits for it
    ASSERT_FALSE(t.codes.empty());
    EXPECT_EQ(t.codes.size() % 2, 0u) << "every tick ran its Render pass";
    EXPECT_EQ(t.codes.back(), NS_Events::Render);
    EXPECT_LE(t.stamps.size(), 6u);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(endedOn, simulation) << "the end hook runs on the simulation thread";
}
