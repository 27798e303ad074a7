#pragma once

#include "kernel/attribute.h"
#include "kernel/attributes_collection.h"
#include "kernel/events.h"
#include "kernel/object.h"
#include "kernel/object_index.h"
#include "kernel/time_stamp.h"

#include <cstdint>

namespace NS_AttributeHandler {

using NS_Attribute::AttributeValue;
using NS_ObjectIndex::ObjectIndex;

// Thrown (by pointer) by handler operations: a base slot that the handler does
// not implement, an unresolved reference, a missing or duplicate attribute, or
// an unknown handler name.
class Exception {};

class AttributeHandler;

// What a handler may ask of its universe. Never deleted through this interface.
class UniverseForHandler {
public:
    // The live object, or null when the reference does not resolve. Never throws.
    virtual NS_Object::Object* findObject(const ObjectIndex& ref) = 0;
    // Never null: throws Exception when no handler has that name.
    virtual AttributeHandler* findHandler(const NS_Names::Name& name) = 0;
    // A new object carrying its "ObjectIndex" attribute; the universe owns it.
    virtual NS_Object::Object* createObject() = 0;
    // Every handler removes its attribute (events queued, not dispatched), then
    // the object is deleted. Throws Exception if ref does not resolve.
    virtual void destroyObject(const ObjectIndex& ref) = 0;
    virtual NS_Events::EventQueue& eventQueue() = 0;
    // The stamp of the current tick: when its timer fired.
    virtual NS_TimeService::TimeStamp currentTime() = 0;

protected:
    ~UniverseForHandler() = default;
};

// Base of every behaviour handler. A handler owns at most one attribute per
// object, named after the handler, and talks to other handlers only through
// queued events. All operations after construction run on the simulation
// thread, except the handleEvent calls of the universe's final dispatch.
class AttributeHandler : public NS_Events::EventsSender,
                         public NS_AttributesCollection::AttributesCollectionElement {
public:
    explicit AttributeHandler(UniverseForHandler* universe_) : universe(universe_) {}
    AttributeHandler(const AttributeHandler&) = delete;
    AttributeHandler& operator=(const AttributeHandler&) = delete;
    ~AttributeHandler() override = default;

    const NS_Names::Name& name() const override { return name_; }
    AttributeHandler* asHandler() override { return this; }

    // Called once on the simulation thread, in ascending name order, before the
    // first tick. Subscriptions are made here.
    virtual void start() {}
    // Base: throws Exception. The returned value stays owned by the attribute.
    virtual AttributeValue* getValue(const ObjectIndex& ref);
    // Base: throws Exception.
    virtual void addAttribute(const ObjectIndex& ref);
    // Base: throws Exception. Copies from newValue, which stays the caller's.
    virtual void setValue(const ObjectIndex& ref, AttributeValue* newValue);
    // Removes this handler's attribute (value deleted), then posts
    // AttributeRemoved: receivers can no longer read the value.
    virtual void removeAttribute(const ObjectIndex& ref);
    virtual void handleEvent(const NS_Events::Event& event) { (void)event; }

protected:
    UniverseForHandler* universe;

    void setName(const NS_Names::Name& name) { name_ = name; }

    // Asks the named handler to notify this one of the codes in mask.
    void subscribe(const NS_Names::Name& publisher, std::uint32_t mask);
    // Posts an event from this handler to its subscribers, then to `also`'s.
    void sendEvent(const ObjectIndex& ref, const NS_Events::EventsSender* also,
                   std::uint32_t code) {
        const NS_Events::Event event(ref, name_, code);
        NS_Events::EventQueue& queue = universe->eventQueue();
        post(event, queue);
        if (also != nullptr)
            also->post(event, queue);
    }
    // Makes `value` this handler's attribute on the object and posts
    // AttributeAdded. Always takes ownership: on failure the value is deleted
    // and Exception thrown, with nothing posted.
    void attachValue(const ObjectIndex& ref, AttributeValue* value);

    // The standard value-keeping operations, for handlers whose attribute holds
    // a value of type V (copy-assignable). addAttribute: attach a default V.
    template <class V> void standardAddAttribute(const ObjectIndex& ref) {
        attachValue(ref, new V());
    }
    // getValue: the object's value, owned by its attribute.
    AttributeValue* standardGetValue(const ObjectIndex& ref);
    // setValue: copies *newValue into the stored V and posts ValueChanged to
    // this handler's and the attribute's subscribers.
    template <class V> void standardSetValue(const ObjectIndex& ref, AttributeValue* newValue) {
        NS_Attribute::Attribute* attribute = ownAttribute(ref);
        V* stored = dynamic_cast<V*>(attribute->value);
        const V* given = dynamic_cast<const V*>(newValue);
        if (stored == nullptr || given == nullptr)
            throw new Exception();
        *stored = *given;
        sendEvent(ref, attribute, NS_Events::ValueChanged);
    }

    // This handler's attribute on the object; throws Exception if the reference
    // does not resolve or the object lacks it.
    NS_Attribute::Attribute* ownAttribute(const ObjectIndex& ref);

private:
    NS_Names::Name name_;
};

} // namespace NS_AttributeHandler
