#include "kernel/attributes_collection.h"

#include <algorithm>

namespace NS_AttributesCollection {

AttributesCollection::~AttributesCollection() {
    for (const Entry* e = begin(); e != end(); ++e)
        delete e->element;
}

void AttributesCollection::insert(AttributesCollectionElement* element) {
    const NS_Names::Name key = element->name();
    if (find(key) != nullptr)
        throw new Exception();
    if (size_ == capacity_) {
        // Grow before changing anything, so a failed allocation leaves the
        // collection as it was and the element the caller's.
        const std::size_t capacity = capacity_ * 2;
        std::unique_ptr<Entry[]> grown(new Entry[capacity]);
        std::copy(begin(), end(), grown.get());
        heap_ = std::move(grown);
        capacity_ = capacity;
    }
    Entry* first = entries();
    Entry* last = first + size_;
    Entry* at = std::upper_bound(first, last, key, [](const NS_Names::Name& k, const Entry& e) {
        return NS_Names::Name::codeUnitLess(k.str(), e.name.str());
    });
    std::move_backward(at, last, last + 1);
    *at = Entry{key, element};
    ++size_;
}

void AttributesCollection::remove(const NS_Names::Name& name) {
    Entry* first = entries();
    Entry* last = first + size_;
    Entry* at = std::find_if(first, last, [&](const Entry& e) { return e.name == name; });
    if (at == last)
        throw new Exception();
    AttributesCollectionElement* element = at->element;
    std::move(at + 1, last, at);
    --size_;
    delete element;
}

void AttributesCollection::elements(std::vector<AttributesCollectionElement*>& out) const {
    std::vector<AttributesCollectionElement*>().swap(out);
    out.reserve(size_);
    for (const Entry* e = begin(); e != end(); ++e)
        out.push_back(e->element);
}

} // namespace NS_AttributesCollection
