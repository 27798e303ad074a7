#pragma once

#include "kernel/attributes_collection.h"
#include "kernel/object_index.h"

namespace NS_Object {

// An object is nothing but a bag of attributes plus its own reference. Only the
// Universe creates objects and only the ObjectsCollection deletes them; take
// `&self` as the reference to pass around.
class Object {
public:
    NS_AttributesCollection::AttributesCollection attributes;
    NS_ObjectIndex::ObjectIndex self;

    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    // Deletes every attribute (and value) in ascending name order; posts nothing.
    virtual ~Object() = default;
};

} // namespace NS_Object
