#include "kernel/object_index.h"

namespace NS_ObjectIndex {

namespace {
// Process-wide, never reset, shared by every universe. Not atomic: only the
// thread that currently owns the kernel data creates objects.
std::int64_t nextUniqueId = 0;
} // namespace

void ObjectIndex::reset() {
    index = -1;
    uniqueId = 0;
}

void ObjectIndex::assignNewUniqueId() {
    uniqueId = nextUniqueId;
    // Wrapping is computed on the unsigned representation: signed overflow
    // would be undefined.
    nextUniqueId = static_cast<std::int64_t>(static_cast<std::uint64_t>(nextUniqueId) + 1u);
    if (nextUniqueId == 0)
        throw new Exception();
}

std::int64_t ObjectIndex::peekNextUniqueId() {
    return nextUniqueId;
}

void ObjectIndex::setNextUniqueIdForTesting(std::int64_t next) {
    nextUniqueId = next;
}

} // namespace NS_ObjectIndex
