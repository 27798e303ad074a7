#pragma once

#include "kernel/name.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace NS_Attribute {
class Attribute;
}
namespace NS_AttributeHandler {
class AttributeHandler;
}

namespace NS_AttributesCollection {

// Thrown (by pointer) on a duplicate insert or the removal of an absent name.
class Exception {};

// Anything stored in an AttributesCollection: an Attribute or an AttributeHandler.
class AttributesCollectionElement {
public:
    virtual ~AttributesCollectionElement() = default;
    // The element's key in its collection; must not change while it is stored.
    virtual const NS_Names::Name& name() const = 0;
    // The element as what it is, or null: lets lookups tell the two kinds apart
    // without a dynamic_cast on every call.
    virtual NS_Attribute::Attribute* asAttribute() { return nullptr; }
    virtual NS_AttributeHandler::AttributeHandler* asHandler() { return nullptr; }
};

// Name-keyed owning collection; enumeration is in ascending name order (the
// character codes taken as unsigned numbers, a proper prefix first).
//
// An object carries a handful of attributes (typically two), the universe a
// handful of handlers: the entries sit in one contiguous array kept in that
// order, inside the collection itself while there are few of them, and a
// lookup compares interned names by identity.
class AttributesCollection {
public:
    struct Entry {
        NS_Names::Name name;
        AttributesCollectionElement* element;
    };

    AttributesCollection() = default;
    AttributesCollection(const AttributesCollection&) = delete;
    AttributesCollection& operator=(const AttributesCollection&) = delete;
    // Deletes every element in ascending name order.
    virtual ~AttributesCollection();

    // Adopts the element. If its name is already present, throws Exception,
    // changes nothing, and the element stays the caller's.
    void insert(AttributesCollectionElement* element);
    // The element of that name, or null. Never throws.
    AttributesCollectionElement* find(const NS_Names::Name& name) const {
        for (const Entry* e = begin(); e != end(); ++e)
            if (e->name == name)
                return e->element;
        return nullptr;
    }
    // Deletes the element of that name; throws Exception if absent.
    void remove(const NS_Names::Name& name);
    // Empties `out` (releasing its storage), then fills it with every element in
    // ascending name order. The collection keeps ownership.
    void elements(std::vector<AttributesCollectionElement*>& out) const;

    // The entries in ascending name order, for walks that must not allocate.
    // Invalidated by insert and remove.
    const Entry* begin() const { return entries(); }
    const Entry* end() const { return entries() + size_; }
    std::size_t size() const { return size_; }

private:
    static constexpr std::size_t InlineCapacity = 3;

    Entry inline_[InlineCapacity] = {};
    std::unique_ptr<Entry[]> heap_;
    std::size_t size_ = 0;
    std::size_t capacity_ = InlineCapacity;

    Entry* entries() { return heap_ ? heap_.get() : inline_; }
    const Entry* entries() const { return heap_ ? heap_.get() : inline_; }
};

} // namespace NS_AttributesCollection
