#include "kernel/attributes_collection.h"

#include <algorithm>

namespace NS_AttributesCollection {

bool CodeUnitLess::operator()(const std::wstring& a, const std::wstring& b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
            return static_cast<std::uint32_t>(x) < static_cast<std::uint32_t>(y);
        });
}

AttributesCollection::~AttributesCollection() {
    for (auto& entry : map_)
        delete entry.second;
}

void AttributesCollection::insert(AttributesCollectionElement* element) {
    const std::wstring& key = element->name();
    if (map_.find(key) != map_.end())
        throw new Exception();
    map_.emplace(key, element);
}

AttributesCollectionElement* AttributesCollection::find(const std::wstring& name) const {
    auto it = map_.find(name);
    return it == map_.end() ? nullptr : it->second;
}

void AttributesCollection::remove(const std::wstring& name) {
    auto it = map_.find(name);
    if (it == map_.end())
        throw new Exception();
    AttributesCollectionElement* element = it->second;
    map_.erase(it);
    delete element;
}

void AttributesCollection::elements(std::vector<AttributesCollectionElement*>& out) const {
    std::vector<AttributesCollectionElement*>().swap(out);
    out.reserve(map_.size());
    for (const auto& entry : map_)
        out.push_back(entry.second);
}

} // namespace NS_AttributesCollection
