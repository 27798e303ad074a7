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
#include <exception>
#include <functional>
#include <memory>
#include <string>

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

// The simulated world.
//
// Threads: the owner's thread (the window thread) builds and destroys the
// universe; between the end of the constructor and the end of the simulation
// thread, only the simulation thread touches objects, handlers and queue. The
// data the two threads hand over to each other is private to this class and
// its thread routine, so nothing else can reach it behind the hand-over; no
// lock guards it: the hand-over is ordered by the thread's creation and by
// doneEvent.
//
// The UniverseForHandler operations and dispatch are for handlers (simulation
// thread) and for the owner once the simulation thread has ended
// (waitUntilEnded returned true, or simulationEnded()).
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
    //
    // Teardown always completes, whatever the handlers throw: an object whose
    // handler fails to remove its attribute still goes (with the attributes it
    // still carries, and no event for those), every other handler still gets
    // its removals and its events, and every handler is deleted. The first
    // error is then rethrown, unchanged, once everything is freed; later ones
    // are freed and dropped. When the destructor runs while another exception
    // is already propagating, it throws nothing (that would end the process):
    // the error is freed and the exception in flight is the report.
    ~Universe() noexcept(false);
    Universe(const Universe&) = delete;
    Universe& operator=(const Universe&) = delete;

    NS_Object::Object* findObject(const NS_ObjectIndex::ObjectIndex& ref) override {
        return shared_.objectTable.find(ref);
    }
    NS_AttributeHandler::AttributeHandler* findHandler(const NS_Names::Name& name) override;
    NS_Object::Object* createObject() override;
    void destroyObject(const NS_ObjectIndex::ObjectIndex& ref) override;
    NS_Events::EventQueue& eventQueue() override { return shared_.queue; }
    NS_TimeService::TimeStamp currentTime() override { return shared_.tickTime; }

    // Hands queued events to their receivers until the queue is empty,
    // including every event posted meanwhile.
    void dispatch();

    // --- For the owner (any thread) ---

    // True once the simulation thread has ended because an exception escaped a
    // handler, the dispatch or the time service. The thread then behaved as if
    // stopped: doneEvent was signalled and nothing more runs. A host polls this
    // to end the run instead of showing a frozen picture.
    bool simulationFailed() const { return failed_.load(std::memory_order_acquire); }
    // What failed, once simulationFailed() is true (empty before): the kernel
    // exception's type ("NS_AttributeHandler::Exception"), a standard
    // exception's message, or "an unknown exception". For exit messages.
    std::string failureMessage() const {
        return simulationFailed() ? failureMessage_ : std::string();
    }
    // Waits up to the timeout for the simulation thread to end by itself (tick
    // limit or failure); true if it has. Objects and handlers may be inspected
    // from the calling thread after this returns true.
    bool waitUntilEnded(int milliseconds);
    // Ticks completed so far (Render pass dispatched).
    std::int64_t ticksRun() const { return ticks_.load(std::memory_order_acquire); }
    // Events handed to handlers so far, tick events included. Read it from the
    // simulation thread, or after the thread has ended.
    std::uint64_t eventsDispatched() const { return eventsDispatched_; }

private:
    // What the owner's thread and the simulation thread hand over to each
    // other. Members are destroyed in reverse order: queue, handlers, then the
    // object table, which must be empty by then.
    struct Shared {
        NS_ObjectsCollection::ObjectsCollection objectTable;
        NS_HandlersCollection::HandlersCollection handlers;
        NS_Events::EventQueue queue;
        NS_TimeService::TimeStamp tickTime;
        std::unique_ptr<NS_Platform::Event> doneEvent;
        std::unique_ptr<NS_Platform::Event> stopEvent;
    };

    Shared shared_;
    RunOptions options_;
    NS_SystemHandler::SystemHandler* system_ = nullptr; // owned by the handlers
    std::unique_ptr<NS_Platform::Thread> thread_;
    std::atomic<bool> failed_{false};
    // Written by the simulation thread before failed_ is set.
    std::string failureMessage_;
    std::atomic<std::int64_t> ticks_{0};
    std::uint64_t eventsDispatched_ = 0;

    // The simulation thread's routine: time service, start pass, then ticks
    // until stopped (or the tick limit). However it ends, it then drops the
    // time service, runs onThreadEnd and sets doneEvent, in that order, in one
    // place. An exception that escapes ends the thread as if stopped and marks
    // the universe failed.
    static void threadEntry(void* universe);
    void simulate();
    void startPass();
    void tickLoop();
    void broadcast(std::uint32_t code);
    void runThreadEnd();
    // Teardown of one object that does not give up on the first error.
    void discardObject(NS_ObjectIndex::ObjectIndex ref, std::exception_ptr& firstError);
};

// Destroys the universe the pointer owns, if any, and leaves it empty. The
// destructor may throw (a handler failing while the objects are torn down),
// which unique_ptr::reset would turn into std::terminate; this frees that
// error instead and returns false. True when the teardown succeeded.
bool destroyUniverse(std::unique_ptr<Universe>& universe);

} // namespace NS_Universe
