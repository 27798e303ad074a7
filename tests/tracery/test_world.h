#pragma once

#include "kernel/attribute_handler.h"
#include "kernel/handlers_collection.h"
#include "kernel/objects_collection.h"
#include "kernel/system_handler.h"

#include <string>
#include <utility>
#include <vector>

// A single-threaded universe with the kernel's queue discipline: the test
// decides when a tick runs and counts the events a listener was handed.
class TestWorld final : public NS_AttributeHandler::UniverseForHandler {
    using Handler = NS_AttributeHandler::AttributeHandler;
    using Ref = NS_ObjectIndex::ObjectIndex;

public:
    TestWorld() { add(new NS_SystemHandler::SystemHandler(this)); }
    ~TestWorld() noexcept {
        std::vector<NS_Object::Object*> live;
        objects_.objects(live);
        for (NS_Object::Object* object : live)
            destroyObject(object->self);
        dispatch();
    }
    template <class H> H* add(H* handler) {
        handlers_.insert(handler);
        return handler;
    }
    // start() on every handler, in ascending name order.
    void start() {
        for (auto* element : elements(handlers_))
            dynamic_cast<Handler&>(*element).start();
    }
    // Adds and starts a handler subscribed to every code of `publishers`.
    void listen(std::vector<std::wstring> publishers) {
        struct Listener : Handler {
            std::vector<std::wstring> publishers;
            Listener(UniverseForHandler* u, std::vector<std::wstring> p)
                : Handler(u), publishers(std::move(p)) {
                setName(L"Listener");
            }
            void start() override {
                for (const std::wstring& publisher : publishers)
                    subscribe(publisher, 0xFFFFFFFFu);
            }
        };
        add(new Listener(this, std::move(publishers)))->start();
    }
    // Step to every handler and dispatch, then the same with Render.
    void tick() {
        for (std::uint32_t code : {NS_Events::Step, NS_Events::Render}) {
            NS_Events::Event event(Ref(), std::wstring(), code);
            for (auto* element : elements(handlers_)) {
                event.receiver = element->name();
                queue_.push(event);
            }
            dispatch();
        }
    }
    void dispatch() {
        while (!queue_.empty()) {
            const NS_Events::Event event = queue_.pop();
            events_.push_back(event);
            findHandler(event.receiver)->handleEvent(event);
        }
    }
    // A new object carrying `handler`'s attribute set to `value` (not dispatched).
    template <class H, class V> Ref put(H* handler, V value) {
        const Ref ref = createObject()->self;
        handler->addAttribute(ref);
        handler->setValue(ref, &value);
        return ref;
    }
    void clearEvents() { events_.clear(); }
    // Events the listener got from `sender` with `code` (about `object` when given).
    int count(const std::wstring& sender, std::uint32_t code, const Ref* object = nullptr) const {
        int n = 0;
        for (const NS_Events::Event& e : events_)
            n += e.receiver == L"Listener" && e.sender == sender && e.code == code &&
                 (object == nullptr || e.object.uniqueId == object->uniqueId);
        return n;
    }
    std::size_t liveObjects() const { return objects_.liveCount(); }

    NS_Object::Object* findObject(const Ref& ref) override { return objects_.find(ref); }
    Handler* findHandler(const NS_Names::Name& name) override {
        if (auto* element = handlers_.find(name); element != nullptr && element->asHandler())
            return element->asHandler();
        throw new NS_AttributeHandler::Exception();
    }
    NS_Object::Object* createObject() override {
        auto* object = new NS_Object::Object();
        object->self.assignNewUniqueId();
        objects_.insert(object);
        dynamic_cast<NS_SystemHandler::SystemHandler&>(*findHandler(L"ObjectIndex"))
            .attachIndex(*object);
        return object;
    }
    void destroyObject(const Ref& ref) override {
        const Ref copy = ref;
        NS_Object::Object* object = findObject(copy);
        if (object == nullptr)
            throw new NS_AttributeHandler::Exception();
        for (auto* element : elements(object->attributes)) {
            const std::wstring name = element->name();
            if (name != L"ObjectIndex")
                findHandler(name)->removeAttribute(copy);
        }
        objects_.remove(copy);
    }
    NS_Events::EventQueue& eventQueue() override { return queue_; }
    NS_TimeService::TimeStamp currentTime() override { return {}; }

private:
    NS_ObjectsCollection::ObjectsCollection objects_;
    NS_HandlersCollection::HandlersCollection handlers_;
    NS_Events::EventQueue queue_;
    std::vector<NS_Events::Event> events_;

    template <class C>
    static std::vector<NS_AttributesCollection::AttributesCollectionElement*>
    elements(const C& collection) {
        std::vector<NS_AttributesCollection::AttributesCollectionElement*> out;
        collection.elements(out);
        return out;
    }
};
