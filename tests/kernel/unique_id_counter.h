#pragma once

// Reaches the process-wide unique-id counter behind ObjectIndex, which the
// program itself never moves: tests use it to reach the wrap-around without
// 2^64 objects and to make unique ids independent of the tests run before.
#include <cstdint>

namespace NS_ObjectIndex::detail {
extern std::int64_t nextUniqueId;
} // namespace NS_ObjectIndex::detail

namespace kernel_test {

// Sets the next unique id for the life of this object, then restores it.
class UniqueIdsFrom {
public:
    explicit UniqueIdsFrom(std::int64_t next) : saved_(NS_ObjectIndex::detail::nextUniqueId) {
        NS_ObjectIndex::detail::nextUniqueId = next;
    }
    ~UniqueIdsFrom() { NS_ObjectIndex::detail::nextUniqueId = saved_; }
    UniqueIdsFrom(const UniqueIdsFrom&) = delete;
    UniqueIdsFrom& operator=(const UniqueIdsFrom&) = delete;

private:
    std::int64_t saved_;
};

} // namespace kernel_test
