#pragma once

#include "kernel/object_index.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace NS_ObjectIndex {

// An ordered set of references (by unique id, as ObjectIndex's operator<), kept
// in one sorted array: once it has held its largest population, inserting and
// erasing allocate nothing. New objects have the largest ids, so inserting one
// is an append. Iteration is in ascending unique-id order; insert and erase
// invalidate iterators.
class ObjectIndexSet {
public:
    using const_iterator = std::vector<ObjectIndex>::const_iterator;

    // False (and nothing changes) when a reference with that unique id is present.
    bool insert(const ObjectIndex& ref) {
        if (refs_.empty() || refs_.back() < ref) {
            refs_.push_back(ref);
            return true;
        }
        auto at = std::lower_bound(refs_.begin(), refs_.end(), ref);
        if (at != refs_.end() && !(ref < *at))
            return false;
        refs_.insert(at, ref);
        return true;
    }
    // False when no reference with that unique id is present.
    bool erase(const ObjectIndex& ref) {
        auto at = std::lower_bound(refs_.begin(), refs_.end(), ref);
        if (at == refs_.end() || ref < *at)
            return false;
        refs_.erase(at);
        return true;
    }
    void clear() { refs_.clear(); }

    const_iterator begin() const { return refs_.begin(); }
    const_iterator end() const { return refs_.end(); }
    std::size_t size() const { return refs_.size(); }
    bool empty() const { return refs_.empty(); }

private:
    std::vector<ObjectIndex> refs_;
};

} // namespace NS_ObjectIndex
