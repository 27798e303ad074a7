#pragma once

#include "kernel/attribute_handler.h"
#include "kernel/handlers_collection.h"
#include "kernel/objects_collection.h"

#include <string>
#include <utility>
#include <vector>

// Subscribes to every code of the named publishers when started, so that their
// events reach the dispatch (and TestWorld's record) even without other listeners.
class Listener : public NS_AttributeHandler::AttributeHandler {
public:
    Listener(NS_AttributeHandler::UniverseForHandler* u, std::vector<std::wstring> publishers)
        : AttributeHandler(u), publishers_(std::move(publishers)) {
        setName(L"Listener");
    }
    void start() override {
        for (const std::wstring& publisher : publishers_)
            subscribe(publisher, 0xFFFFFFFFu);
    }

private:
    std::vector<std::wstring> publishers_;
};

// A single-threaded universe with the kernel's queue discipline: the test
// decides when a tick runs and sees every event handed out.
class TestWorld final : public NS_AttributeHandler::UniverseForHandler {
public:
    TestWorld();
    ~TestWorld() noexcept;

    template <class H> H* add(H* handler) {
        handlers_.insert(handler);
        return handler;
    }
    // start() on every handler, in ascending name order.
    void start();
    // Step to every handler and dispatch, then the same with Render.
    void tick();
    void dispatch();

    NS_Object::Object* findObject(const NS_ObjectIndex::ObjectIndex& ref) override;
    NS_AttributeHandler::AttributeHandler* findHandler(const std::wstring& name) override;
    NS_Object::Object* createObject() override;
    void destroyObject(const NS_ObjectIndex::ObjectIndex& ref) override;
    NS_Events::EventQueue& eventQueue() override { return queue_; }
    NS_TimeService::TimeStamp currentTime() override { return {}; }

    void clearEvents() { events_.clear(); }
    // Events the Listener received from `sender` with `code` (about `object`
    // when given), in dispatch order.
    std::vector<NS_Events::Event>
    received(const std::wstring& sender, std::uint32_t code,
             const NS_ObjectIndex::ObjectIndex* object = nullptr) const;
    int count(const std::wstring& sender, std::uint32_t code,
              const NS_ObjectIndex::ObjectIndex* object = nullptr) const {
        return static_cast<int>(received(sender, code, object).size());
    }
    std::size_t liveObjects() const { return objects_.liveCount(); }

private:
    NS_ObjectsCollection::ObjectsCollection objects_;
    NS_HandlersCollection::HandlersCollection handlers_;
    NS_Events::EventQueue queue_;
    std::vector<NS_Events::Event> events_;

    void broadcast(std::uint32_t code);
};
