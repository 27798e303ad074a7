#pragma once

#include "kernel/attribute_handler.h"
#include "kernel/events.h"
#include "kernel/handlers_collection.h"
#include "kernel/objects_collection.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// A handler that only listens: subscribes to every code of the named
// publishers when started, so their events show up in TestWorld::events().
class Listener : public NS_AttributeHandler::AttributeHandler {
public:
    Listener(NS_AttributeHandler::UniverseForHandler* universe_,
             std::vector<std::wstring> publishers)
        : AttributeHandler(universe_), publishers_(std::move(publishers)) {
        setName(L"Listener");
    }
    void start() override {
        for (const std::wstring& publisher : publishers_)
            subscribe(publisher, 0xFFFFFFFFu);
    }

private:
    std::vector<std::wstring> publishers_;
};

// Calls `operation` and reports whether it threw the handler exception (deleting it).
template <class F> bool throwsHandlerException(F operation) {
    try {
        operation();
    } catch (NS_AttributeHandler::Exception* e) {
        delete e;
        return true;
    }
    return false;
}

// A single-threaded stand-in for the universe: the same object table, handler
// collection and queue discipline, but the test decides when a tick runs and
// can inspect every event handed out. Handlers are added, then started (in
// ascending name order) before the first tick.
class TestWorld final : public NS_AttributeHandler::UniverseForHandler {
public:
    TestWorld();
    ~TestWorld() noexcept;
    TestWorld(const TestWorld&) = delete;
    TestWorld& operator=(const TestWorld&) = delete;

    // Adopts the handler.
    template <class H> H* add(H* handler) {
        handlers_.insert(handler);
        return handler;
    }
    // Calls start on every handler, in ascending name order.
    void start();
    // One tick: Step to every handler, dispatch, Render to every handler, dispatch.
    void tick();
    void dispatch();

    NS_Object::Object* findObject(const NS_ObjectIndex::ObjectIndex& ref) override;
    NS_AttributeHandler::AttributeHandler* findHandler(const std::wstring& name) override;
    NS_Object::Object* createObject() override;
    void destroyObject(const NS_ObjectIndex::ObjectIndex& ref) override;
    NS_Events::EventQueue& eventQueue() override { return queue_; }
    NS_TimeService::TimeStamp currentTime() override { return {}; }

    // Every event handed to a handler since the last clearEvents.
    const std::vector<NS_Events::Event>& events() const { return events_; }
    void clearEvents() { events_.clear(); }
    // Events handed to the Listener with that sender, code and (when not
    // null) object: each event counted once, however many receive it.
    int countEvents(const std::wstring& sender, std::uint32_t code,
                    const NS_ObjectIndex::ObjectIndex* object = nullptr) const;

    std::size_t liveObjects() const { return objects_.liveCount(); }

private:
    NS_ObjectsCollection::ObjectsCollection objects_;
    NS_HandlersCollection::HandlersCollection handlers_;
    NS_Events::EventQueue queue_;
    std::vector<NS_Events::Event> events_;

    void broadcast(std::uint32_t code);
};
