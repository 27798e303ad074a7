#pragma once

#include "kernel/attribute_handler.h"

namespace NS_SystemHandler {

// The "ObjectIndex" attribute's value: the object's own reference, fixed at
// creation.
class SystemValue : public NS_Attribute::AttributeValue {
public:
    NS_ObjectIndex::ObjectIndex objectIndex;
};

// Installed by every universe under "ObjectIndex", before any model handler.
// Gives each new object its "ObjectIndex" attribute and announces the creation
// with AttributeAdded to the subscribers of "ObjectIndex".
class SystemHandler : public NS_AttributeHandler::AttributeHandler {
public:
    static const NS_Names::Name handlerName;

    explicit SystemHandler(NS_AttributeHandler::UniverseForHandler* universe_);

    NS_Attribute::AttributeValue* getValue(const NS_ObjectIndex::ObjectIndex& ref) override;

    // Called by createObject once the object has its unique id and slot.
    void attachIndex(NS_Object::Object& object);
};

} // namespace NS_SystemHandler
