#pragma once

#include "kernel/attribute.h"
#include "kernel/attribute_handler.h"
#include "kernel/object_index.h"

#include <set>

// Base of the tracery handlers that keep one value per object. `members` holds
// every object carrying the handler's attribute, ordered by unique id, which is
// creation order: a Step walk visits objects created during the walk after the
// older ones. Objects are only ever destroyed after a walk, so the set is never
// shrunk while it is being walked.
class ValueKeepingHandler : public NS_AttributeHandler::AttributeHandler {
public:
    using Members = std::set<NS_ObjectIndex::ObjectIndex>;

    explicit ValueKeepingHandler(NS_AttributeHandler::UniverseForHandler* universe_)
        : AttributeHandler(universe_) {}
    ~ValueKeepingHandler() override { members_.clear(); }

    NS_Attribute::AttributeValue* getValue(const NS_ObjectIndex::ObjectIndex& ref) override {
        return standardGetValue(ref);
    }
    // The base removal (posts AttributeRemoved), then forgets the object.
    void removeAttribute(const NS_ObjectIndex::ObjectIndex& ref) override;

    // Read on the simulation thread, or by the owner once that thread has ended.
    const Members& members() const { return members_; }

protected:
    Members members_;

    // Step walks change values in place and publish them; these two do what
    // getValue and setValue do for that case with one attribute lookup
    // instead of two (the walks dominate the cost of a tick).

    // This handler's attribute on the object, or null when the object is gone.
    // Throws NS_AttributeHandler::Exception when the live object lacks it.
    NS_Attribute::Attribute* attributeOf(const NS_ObjectIndex::ObjectIndex& ref);
    // Another handler of the same universe, by its type's handlerName, looked
    // up once and kept in `cache`: handlers live as long as their universe.
    template <class H> H* peer(H*& cache) {
        if (cache == nullptr) {
            cache = dynamic_cast<H*>(universe->findHandler(H::handlerName));
            if (cache == nullptr)
                throw new NS_AttributeHandler::Exception();
        }
        return cache;
    }
    // Posts ValueChanged for a value changed in place, exactly as setValue with
    // the stored value itself does.
    void publish(const NS_ObjectIndex::ObjectIndex& ref, NS_Attribute::Attribute* attribute) {
        sendEvent(ref, attribute, NS_Events::ValueChanged);
    }
};

// The standard value operations for a handler whose attribute holds a V.
template <class V> class TypedValueHandler : public ValueKeepingHandler {
public:
    using ValueKeepingHandler::ValueKeepingHandler;

    // Attaches a newly constructed V (whatever its constructor draws), then
    // records the object as a member.
    void addAttribute(const NS_ObjectIndex::ObjectIndex& ref) override {
        standardAddAttribute<V>(ref);
        members_.insert(ref);
    }
    // Copies every field, also from the stored value itself, and posts
    // ValueChanged.
    void setValue(const NS_ObjectIndex::ObjectIndex& ref,
                  NS_Attribute::AttributeValue* newValue) override {
        standardSetValue<V>(ref, newValue);
    }
    // The object's value; throws NS_AttributeHandler::Exception when absent.
    V* valueOf(const NS_ObjectIndex::ObjectIndex& ref) {
        NS_Attribute::Attribute* attribute = attributeOf(ref);
        if (attribute == nullptr)
            throw new NS_AttributeHandler::Exception();
        return static_cast<V*>(attribute->value);
    }
};
