#pragma once

#include <map>
#include <string>
#include <vector>

namespace NS_AttributesCollection {

// Thrown (by pointer) on a duplicate insert or the removal of an absent name.
class Exception {};

// Anything stored in an AttributesCollection: an Attribute or an AttributeHandler.
class AttributesCollectionElement {
public:
    virtual ~AttributesCollectionElement() = default;
    // The element's key in its collection; must not change while it is stored.
    virtual const std::wstring& name() const = 0;
};

// Orders names by their character codes taken as unsigned numbers, a proper
// prefix first. wchar_t is signed on some platforms, so std::less is not used.
struct CodeUnitLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// Name-keyed owning collection; enumeration is in ascending name order.
class AttributesCollection {
public:
    AttributesCollection() = default;
    AttributesCollection(const AttributesCollection&) = delete;
    AttributesCollection& operator=(const AttributesCollection&) = delete;
    // Deletes every element in ascending name order.
    virtual ~AttributesCollection();

    // Adopts the element. If its name is already present, throws Exception,
    // changes nothing, and the element stays the caller's.
    void insert(AttributesCollectionElement* element);
    // The element of that name, or null. Never throws.
    AttributesCollectionElement* find(const std::wstring& name) const;
    // Deletes the element of that name; throws Exception if absent.
    void remove(const std::wstring& name);
    // Empties `out` (releasing its storage), then fills it with every element in
    // ascending name order. The collection keeps ownership.
    void elements(std::vector<AttributesCollectionElement*>& out) const;

    std::size_t size() const { return map_.size(); }

private:
    std::map<std::wstring, AttributesCollectionElement*, CodeUnitLess> map_;
};

} // namespace NS_AttributesCollection
