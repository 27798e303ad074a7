#pragma once

#include "kernel/attributes_collection.h"
#include "kernel/events.h"

namespace NS_Attribute {

// Base of every attribute value. Only the owning handler interprets a value:
// it downcasts to its concrete type and copies member by member.
class AttributeValue {
public:
    virtual ~AttributeValue() = default;
};

// One handler's data on one object, named after that handler. Owns its value.
class Attribute : public NS_Events::EventsSender,
                  public NS_AttributesCollection::AttributesCollectionElement {
public:
    // Null until the creating handler sets it, right after construction.
    AttributeValue* value = nullptr;

    explicit Attribute(const NS_Names::Name& name) : name_(name) {}
    Attribute(const Attribute&) = delete;
    Attribute& operator=(const Attribute&) = delete;
    ~Attribute() override;

    const NS_Names::Name& name() const override { return name_; }
    Attribute* asAttribute() override { return this; }

private:
    NS_Names::Name name_;
};

} // namespace NS_Attribute
