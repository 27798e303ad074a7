#include "kernel/object_index.h"

namespace NS_ObjectIndex {

namespace detail {
// Process-wide, never reset, shared by every universe. Not atomic: only the
// thread that currently owns the kernel data creates objects. Deliberately
// not in any header: nothing in the program moves it.
extern std::int64_t nextUniqueId;
std::int64_t nextUniqueId = 0;
} // namespace detail

using detail::nextUniqueId;

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

} // namespace NS_ObjectIndex
