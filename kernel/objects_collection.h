#pragma once

#include "kernel/object.h"
#include "kernel/object_index.h"

#include <cstdint>
#include <vector>

namespace NS_ObjectsCollection {

// Thrown (by pointer) on inserting an already-placed object, removing through a
// null or stale reference, or destroying the collection while it holds objects.
class Exception {};

// The universe's object table. Slots are only ever appended, so every index
// handed out stays a valid position; freed slots are reused last-freed-first.
class ObjectsCollection {
public:
    ObjectsCollection() = default;
    ObjectsCollection(const ObjectsCollection&) = delete;
    ObjectsCollection& operator=(const ObjectsCollection&) = delete;
    // Throws Exception if an object is still present.
    ~ObjectsCollection() noexcept(false);

    // Adopts the object and writes its slot into object->self.index. The object's
    // self must have index -1.
    void insert(NS_Object::Object* object);
    // The live object designated by ref, or null (null, empty or stale reference).
    NS_Object::Object* find(const NS_ObjectIndex::ObjectIndex& ref) const;
    // Deletes the object. By value: callers often pass the object's own self.
    void remove(NS_ObjectIndex::ObjectIndex ref);
    // Fills `out` with the live objects in ascending slot order.
    void objects(std::vector<NS_Object::Object*>& out) const;

    std::size_t liveCount() const { return slots_.size() - static_cast<std::size_t>(freeCount_); }

private:
    std::vector<NS_Object::Object*> slots_;
    // A stack of free slot numbers, as long as `slots_`, so a push never allocates.
    std::vector<std::int32_t> freeSlots_;
    std::int32_t freeCount_ = 0;
};

} // namespace NS_ObjectsCollection
