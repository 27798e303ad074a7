#include "kernel/universe.h"

#include "kernel/object_index.h"
#include "kernel/objects_collection.h"

#include <vector>

namespace NS_Universe {

namespace {
constexpr int tickPeriodMilliseconds = 30;

void startPass(Universe& universe) {
    std::vector<NS_AttributesCollection::AttributesCollectionElement*> elements;
    universe.handlers.elements(elements);
    for (NS_AttributesCollection::AttributesCollectionElement* element : elements) {
        NS_AttributeHandler::AttributeHandler* handler = element->asHandler();
        if (handler == nullptr)
            throw new Exception();
        handler->start();
    }
}

// Kernel errors are thrown as pointers to freshly allocated empty classes; the
// outermost catch frees the ones it knows, so a failed run leaks nothing.
void freeKernelException() {
    try {
        throw;
    } catch (NS_ObjectIndex::Exception* e) {
        delete e;
    } catch (NS_ObjectsCollection::Exception* e) {
        delete e;
    } catch (NS_AttributesCollection::Exception* e) {
        delete e;
    } catch (NS_AttributeHandler::Exception* e) {
        delete e;
    } catch (Exception* e) {
        delete e;
    } catch (NS_TimeService::Exception* e) {
        delete e;
    } catch (NS_Platform::Exception* e) {
        delete e;
    } catch (...) {
    }
}
} // namespace

void runThreadEnd(Universe& universe) {
    if (!universe.options_.onThreadEnd)
        return;
    try {
        universe.options_.onThreadEnd();
    } catch (...) {
        freeKernelException();
    }
}

void simulationThread(Universe* universe) {
    // An exception escaping here would end the thread without signalling done,
    // and the owner's destructor would then wait forever (a full-screen saver
    // could never be dismissed). So the thread catches at its outermost level,
    // marks the universe failed, and ends as if stopped.
    try {
        std::unique_ptr<NS_TimeService::TimeService> time =
            NS_TimeService::TimeService::create(universe->options_.pacing);
        time->setPeriod(tickPeriodMilliseconds);

        if (universe->options_.onThreadStart)
            universe->options_.onThreadStart();
        startPass(*universe);

        const std::int64_t limit = universe->options_.tickLimit;
        bool stop = universe->stopEvent->test() || limit == 0;
        while (!stop) {
            time->waitForTick();
            universe->tickTime = time->readTime();
            universe->broadcast(NS_Events::Step);
            universe->broadcast(NS_Events::Render);
            const std::int64_t done = universe->ticks_.fetch_add(1, std::memory_order_acq_rel) + 1;
            stop = universe->stopEvent->test() || (limit >= 0 && done >= limit);
        }
        // The time service goes at the end of this scope, after done is set:
        // the owner may already be tearing down, but the service is this
        // thread's own.
        runThreadEnd(*universe);
        universe->doneEvent->set();
        return;
    } catch (...) {
        freeKernelException();
        // What the failed tick left queued is meaningless; the owner's teardown
        // must only see the events of destroying the objects.
        universe->queue.clear();
        universe->failed_.store(true, std::memory_order_release);
    }
    runThreadEnd(*universe);
    universe->doneEvent->set();
}

} // namespace NS_Universe
