#include "kernel/kernel_exceptions.h"
#include "kernel/universe.h"

#include <vector>

namespace NS_Universe {

namespace {
constexpr int tickPeriodMilliseconds = 30;
} // namespace

void Universe::threadEntry(void* universe) {
    static_cast<Universe*>(universe)->simulate();
}

void Universe::simulate() {
    // An exception escaping here would end the thread without signalling done,
    // and the owner's destructor would then wait forever (a full-screen saver
    // could never be dismissed). So the thread catches at its outermost level,
    // marks the universe failed, and ends as if stopped.
    try {
        tickLoop(); // the time service lives and dies inside
    } catch (...) {
        failureMessage_ = NS_KernelExceptions::describeCurrentException();
        NS_KernelExceptions::freeCurrentException();
        // What the failed tick left queued is meaningless; the owner's teardown
        // must only see the events of destroying the objects.
        shared_.queue.clear();
        failed_.store(true, std::memory_order_release);
    }
    // One way out, whatever happened: the time service is gone already, then
    // the owner's end hook, then done.
    runThreadEnd();
    shared_.doneEvent->set();
}

void Universe::tickLoop() {
    std::unique_ptr<NS_TimeService::TimeService> time =
        NS_TimeService::TimeService::create(options_.pacing);
    time->setPeriod(tickPeriodMilliseconds);

    if (options_.onThreadStart)
        options_.onThreadStart();
    startPass();

    const std::int64_t limit = options_.tickLimit;
    bool stop = shared_.stopEvent->test() || limit == 0;
    while (!stop) {
        time->waitForTick();
        shared_.tickTime = time->readTime();
        broadcast(NS_Events::Step);
        broadcast(NS_Events::Render);
        const std::int64_t done = ticks_.fetch_add(1, std::memory_order_acq_rel) + 1;
        stop = shared_.stopEvent->test() || (limit >= 0 && done >= limit);
    }
}

void Universe::startPass() {
    std::vector<NS_AttributesCollection::AttributesCollectionElement*> elements;
    shared_.handlers.elements(elements);
    for (NS_AttributesCollection::AttributesCollectionElement* element : elements) {
        NS_AttributeHandler::AttributeHandler* handler = element->asHandler();
        if (handler == nullptr)
            throw new Exception();
        handler->start();
    }
}

void Universe::runThreadEnd() {
    if (!options_.onThreadEnd)
        return;
    try {
        options_.onThreadEnd();
    } catch (...) {
        NS_KernelExceptions::freeCurrentException();
    }
}

} // namespace NS_Universe
