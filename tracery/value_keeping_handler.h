#pragma once

#include "kernel/attribute.h"
#include "kernel/attribute_handler.h"
#include "kernel/object_index.h"

#include <cstddef>
#include <vector>

// Base of the tracery handlers that keep one value per object.
//
// The handler keeps every object carrying its attribute in unique-id order,
// which is creation order: a Step walk visits objects created during the walk
// after the older ones. Objects are only ever destroyed after a walk.
//
// Each member entry holds the object's reference and a direct pointer to this
// handler's attribute on it, so a walk reaches every value without looking the
// object or its attribute up. Lifetime rule: the pointer is valid until that
// attribute is removed. Every removal of the attribute goes through this
// handler's removeAttribute (destroyObject calls it before the object is
// deleted), which drops the entry once the attribute is gone; an entry dropped during a walk is
// left as an empty slot and skipped, and the slots are compacted when no walk
// is running.
class ValueKeepingHandler : public NS_AttributeHandler::AttributeHandler {
public:
    explicit ValueKeepingHandler(NS_AttributeHandler::UniverseForHandler* universe_)
        : AttributeHandler(universe_) {}

    NS_Attribute::AttributeValue* getValue(const NS_ObjectIndex::ObjectIndex& ref) override {
        return standardGetValue(ref);
    }
    // The base removal (posts AttributeRemoved), then forgets the object. When
    // the base throws before removing the attribute, the object stays a member.
    void removeAttribute(const NS_ObjectIndex::ObjectIndex& ref) override;

    // A snapshot of the member references in unique-id order, for tools and
    // tests (simulation thread, or by the owner once that thread has ended).
    std::vector<NS_ObjectIndex::ObjectIndex> members() const;

protected:
    struct Member {
        NS_ObjectIndex::ObjectIndex ref;
        // This handler's attribute on the object; null once it was removed.
        NS_Attribute::Attribute* attribute;
    };

    // The members a Step walk found finished, destroyed once the walk is over.
    // Kept from tick to tick so that a steady state allocates nothing.
    std::vector<NS_ObjectIndex::ObjectIndex> ending_;
    // Destroys the objects in ending_ (in the order the walk listed them).
    void destroyEnding() {
        for (const NS_ObjectIndex::ObjectIndex& ref : ending_)
            universe->destroyObject(ref);
        ending_.clear();
    }

    // Records the object whose attribute was just attached.
    void addMember(const NS_ObjectIndex::ObjectIndex& ref);

    // Calls visit(ref, attribute) for every member in unique-id order,
    // including members added during the walk that sort after the current
    // one; members removed during the walk are skipped from then on.
    template <class F> void walk(F&& visit) {
        compact();
        walking_ = true;
        struct Done {
            ValueKeepingHandler& h;
            ~Done() { h.walking_ = false; }
        } done{*this};
        for (cursor_ = 0; cursor_ < members_.size(); ++cursor_) {
            const Member member = members_[cursor_];
            if (member.attribute != nullptr)
                visit(member.ref, member.attribute);
        }
    }

    // Another handler of the same universe, by its type's handlerName, looked
    // up once and kept in `cache`: handlers live as long as their universe.
    template <class H> H* peer(H*& cache) {
        if (cache == nullptr) {
            cache = dynamic_cast<H*>(universe->findHandler(H::handlerName));
            if (cache == nullptr)
                throw new NS_AttributeHandler::Exception();
        }
        return cache;
    }
    // Posts ValueChanged for a value changed in place, exactly as setValue with
    // the stored value itself does.
    void publish(const NS_ObjectIndex::ObjectIndex& ref, NS_Attribute::Attribute* attribute) {
        sendEvent(ref, attribute, NS_Events::ValueChanged);
    }

private:
    std::vector<Member> members_;
    std::size_t live_ = 0;
    std::size_t cursor_ = 0;
    bool walking_ = false;

    // Drops the entry of the object whose attribute was just removed.
    void forget(const NS_ObjectIndex::ObjectIndex& ref);
    // Drops the empty slots left by removals; never during a walk.
    void compact();
};

// The standard value operations for a handler whose attribute holds a V.
template <class V> class TypedValueHandler : public ValueKeepingHandler {
public:
    using ValueKeepingHandler::ValueKeepingHandler;

    // Attaches a newly constructed V (whatever its constructor draws), then
    // records the object as a member.
    void addAttribute(const NS_ObjectIndex::ObjectIndex& ref) override {
        standardAddAttribute<V>(ref);
        addMember(ref);
    }
    // Copies every field, also from the stored value itself, and posts
    // ValueChanged.
    void setValue(const NS_ObjectIndex::ObjectIndex& ref,
                  NS_Attribute::AttributeValue* newValue) override {
        standardSetValue<V>(ref, newValue);
    }
    // The object's value; throws NS_AttributeHandler::Exception when the
    // reference does not resolve or the object lacks this handler's attribute.
    V* valueOf(const NS_ObjectIndex::ObjectIndex& ref) {
        return static_cast<V*>(ownAttribute(ref)->value);
    }
    // The same for an object already resolved; throws when it lacks the attribute.
    V* valueOn(NS_Object::Object& object) {
        NS_AttributesCollection::AttributesCollectionElement* element =
            object.attributes.find(name());
        if (element == nullptr || element->asAttribute() == nullptr)
            throw new NS_AttributeHandler::Exception();
        return static_cast<V*>(element->asAttribute()->value);
    }

protected:
    static V& valueIn(NS_Attribute::Attribute* attribute) {
        return *static_cast<V*>(attribute->value);
    }
};
