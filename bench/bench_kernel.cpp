// Kernel throughput: event dispatch, object churn, and the cost of one empty
// tick (Step and Render passes over six handlers).
#include "kernel/initial_model.h"
#include "kernel/universe.h"

#include <benchmark/benchmark.h>

namespace {

class Counter : public NS_AttributeHandler::AttributeHandler {
public:
    Counter(NS_AttributeHandler::UniverseForHandler* u, const wchar_t* handlerName)
        : AttributeHandler(u) {
        setName(handlerName);
    }
    void handleEvent(const NS_Events::Event&) override { ++handled; }
    std::uint64_t handled = 0;
};

// The saver's five handler names, so a tick enumerates six handlers.
class FiveCounters : public NS_InitialModel::InitialModel {
public:
    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        for (const wchar_t* n :
             {L"Loader", L"GenerativeField", L"GenerativePoint", L"GuidingPoint", L"Segment"})
            list.push_back(new Counter(universe, n));
    }
};

// A universe whose own thread has already ended, driven from the benchmark.
struct IdleUniverse {
    FiveCounters model;
    NS_Universe::Universe universe;
    IdleUniverse() : universe(model, options()) { universe.waitUntilEnded(60000); }
    static NS_Universe::RunOptions options() {
        NS_Universe::RunOptions o;
        o.pacing = NS_TimeService::Pacing::Virtual;
        o.tickLimit = 0;
        return o;
    }
};

void BM_PostDispatchHandle(benchmark::State& state) {
    IdleUniverse idle;
    NS_Universe::Universe& u = idle.universe;
    NS_Events::EventsSender sender;
    sender.addSubscriber(2, L"Segment");
    const NS_Events::Event event(NS_ObjectIndex::ObjectIndex(), L"GenerativePoint",
                                 NS_Events::ValueChanged);
    const auto batch = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        for (std::size_t i = 0; i < batch; ++i)
            sender.post(event, u.eventQueue());
        u.dispatch();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PostDispatchHandle)->Arg(1)->Arg(256);

void BM_CreateDestroyObject(benchmark::State& state) {
    IdleUniverse idle;
    NS_Universe::Universe& u = idle.universe;
    for (auto _ : state) {
        NS_Object::Object* o = u.createObject();
        u.destroyObject(o->self);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CreateDestroyObject);

void BM_EmptyTick(benchmark::State& state) {
    IdleUniverse idle;
    NS_Universe::Universe& u = idle.universe;
    NS_Events::Event tick;
    // The six handlers in ascending name order, as a tick enumerates them.
    const NS_Names::Name names[] = {L"GenerativeField", L"GenerativePoint", L"GuidingPoint",
                                    L"Loader",          L"ObjectIndex",     L"Segment"};
    for (auto _ : state) {
        // The same work as one simulation-thread tick: queue one event per
        // handler for each pass, dispatch.
        for (std::uint32_t code : {NS_Events::Step, NS_Events::Render}) {
            tick.code = code;
            for (const NS_Names::Name& name : names) {
                tick.receiver = name;
                u.eventQueue().push(tick);
            }
            u.dispatch();
        }
    }
}
BENCHMARK(BM_EmptyTick);

} // namespace

BENCHMARK_MAIN();
