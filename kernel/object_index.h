#pragma once

#include <cstdint>

namespace NS_ObjectIndex {

// Thrown (by pointer) when the process-wide unique-id counter wraps to 0.
class Exception {};

// A reference to an object: its slot in the universe's object table and its
// process-wide unique id. Whether it designates a live object is decided only
// by the ObjectsCollection (slot occupied by an object with the same id), so a
// reference to a destroyed object safely resolves to nothing, even after its
// slot has been reused.
class ObjectIndex {
public:
    std::int32_t index = -1;
    std::int64_t uniqueId = 0;

    ObjectIndex() = default;
    ObjectIndex(const ObjectIndex&) = default;
    ObjectIndex& operator=(const ObjectIndex&) = default;

    // Makes the reference null (index -1, unique id 0).
    void reset();

    // Takes the counter's current value, then advances the counter. Throws
    // Exception if the counter wraps to 0; the reference keeps the last value.
    // The counter is shared by every universe of the process and never reset;
    // it is not thread-safe: only the thread that currently owns the kernel
    // data creates objects.
    void assignNewUniqueId();

    // Ordered by unique id alone; the slot takes no part.
    bool operator<(const ObjectIndex& other) const { return uniqueId < other.uniqueId; }
};

} // namespace NS_ObjectIndex
