#pragma once

#include "kernel/attribute_handler.h"
#include "kernel/events.h"
#include "kernel/handlers_collection.h"
#include "kernel/initial_model.h"
#include "kernel/objects_collection.h"
#include "kernel/platform_event.h"
#include "kernel/platform_thread.h"
#include "kernel/time_service.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace NS_SystemHandler {
class SystemHandler;
}

namespace NS_Universe {

// Thrown (by pointer) when the universe's events or thread cannot be created,
// or when its handler table holds something that is not a handler.
class Exception {};

// How a universe runs. The defaults are the saver's: real 30 ms ticks until the
// owner destroys the universe.
struct RunOptions {
    NS_TimeService::Pacing pacing = NS_TimeService::Pacing::RealTime;
    // When >= 0, the thread ends by itself after this many ticks, exactly as if
    // a stop had been requested during the last one.
    std::int64_t tickLimit = -1;
    // Runs on the simulation thread before the start pass (for example to seed
    // that thread's random generator). May throw: that fails the simulation.
    std::function<void()> onThreadStart;
    // Runs on the simulation thread once it has stopped ticking, whether it
    // stopped on request, at the tick limit or after a failure, and before
    // doneEvent is set: the place to release what the thread made its own
    // (the GL context), so the owner can delete it. Must not throw; an
    // exception from it is swallowed, the thread ends all the same.
    std::function<void()> onThreadEnd;
};

// The simulated world. Built and destroyed on one thread (the window thread);
// between the end of the constructor and the end of the simulation thread only
// that thread touches objects, handlers and queue. No lock guards them: the
// hand-over is ordered by the thread's creation and by doneEvent.
class Universe final : public NS_AttributeHandler::UniverseForHandler {
public:
    // Installs "ObjectIndex", then the model's handlers, then starts the
    // simulation thread. Throws Exception if an event or the thread cannot be
    // created; NS_AttributesCollection::Exception on duplicate handler names.
    explicit Universe(NS_InitialModel::InitialModel& model, RunOptions options = {});
    // Must not run on the simulation thread. Stops the thread if it still runs
    // (it finishes the tick in progress, or the next one if it is waiting),
    // destroys every object, dispatches what that posts, then deletes the
    // handlers. Never waits on a thread that has already ended or failed.
    ~Universe() noexcept(false);
    Universe(const Universe&) = delete;
    Universe& operator=(const Universe&) = delete;

    NS_Object::Object* findObject(const NS_ObjectIndex::ObjectIndex& ref) override;
    NS_AttributeHandler::AttributeHandler* findHandler(const NS_Names::Name& name) override;
    NS_Object::Object* createObject() override;
    void destroyObject(const NS_ObjectIndex::ObjectIndex& ref) override;
    NS_Events::EventQueue& eventQueue() override { return queue; }
    NS_TimeService::TimeStamp currentTime() override { return tickTime; }

    // Hands queued events to their receivers until the queue is empty,
    // including every event posted meanwhile.
    void dispatch();

    // --- For the owner (any thread) ---

    // True once the simulation thread has ended because an exception escaped a
    // handler, the dispatch or the time service. The thread then behaved as if
    // stopped: doneEvent was signalled and nothing more runs. A host polls this
    // to end the run instead of showing a frozen picture.
    bool simulationFailed() const { return failed_.load(std::memory_order_acquire); }
    // True once the simulation thread's routine has returned.
    bool simulationEnded() const { return !thread_ || !thread_->isRunning(); }
    // Waits up to the timeout for the simulation thread to end by itself (tick
    // limit or failure); true if it has. Objects and handlers may be inspected
    // from the calling thread after this returns true.
    bool waitUntilEnded(int milliseconds);
    // Ticks completed so far (Render pass dispatched).
    std::int64_t ticksRun() const { return ticks_.load(std::memory_order_acquire); }
    // Events handed to handlers so far, tick events included. Read it from the
    // simulation thread, or after the thread has ended.
    std::uint64_t eventsDispatched() const { return eventsDispatched_; }

    // --- Members shared with the simulation thread ---
    NS_ObjectsCollection::ObjectsCollection objectTable;
    NS_HandlersCollection::HandlersCollection handlers;
    NS_Events::EventQueue queue;
    NS_TimeService::TimeStamp tickTime;
    std::unique_ptr<NS_Platform::Event> doneEvent;
    std::unique_ptr<NS_Platform::Event> stopEvent;

private:
    friend void simulationThread(Universe* universe);
    friend void simulationThreadEntry(void* argument);
    friend void runThreadEnd(Universe& universe);

    RunOptions options_;
    NS_SystemHandler::SystemHandler* system_ = nullptr; // owned by handlers
    std::unique_ptr<NS_Platform::Thread> thread_;
    std::atomic<bool> failed_{false};
    std::atomic<std::int64_t> ticks_{0};
    std::uint64_t eventsDispatched_ = 0;

    void broadcast(std::uint32_t code);
};

// The simulation thread's routine: time service, start pass, then ticks until
// stopped (or the tick limit), then doneEvent. An exception that escapes ends
// the thread as if stopped and marks the universe failed.
void simulationThread(Universe* universe);
// Calls the owner's onThreadEnd, if any, swallowing what it throws.
void runThreadEnd(Universe& universe);

} // namespace NS_Universe
