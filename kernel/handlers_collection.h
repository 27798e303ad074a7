#pragma once

#include "kernel/attributes_collection.h"

namespace NS_HandlersCollection {

// The universe's installed handlers, keyed by name. Deletes them (ascending
// name order) when destroyed.
class HandlersCollection : public NS_AttributesCollection::AttributesCollection {
public:
    ~HandlersCollection() override = default;
};

} // namespace NS_HandlersCollection
