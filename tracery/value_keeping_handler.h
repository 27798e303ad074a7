#pragma once

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
};
