#pragma once

#include "kernel/attributes_collection.h"
#include "kernel/events.h"

#include <string>

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

    explicit Attribute(const std::wstring& name);
    Attribute(const Attribute&) = delete;
    Attribute& operator=(const Attribute&) = delete;
    ~Attribute() override;

    const std::wstring& name() const override { return name_; }

private:
    std::wstring name_;
};

} // namespace NS_Attribute
