#include "kernel/objects_collection.h"

namespace NS_ObjectsCollection {

ObjectsCollection::~ObjectsCollection() noexcept(false) {
    if (static_cast<std::size_t>(freeCount_) != slots_.size())
        throw new Exception();
}

void ObjectsCollection::insert(NS_Object::Object* object) {
    if (object->self.index != -1)
        throw new Exception();
    if (freeCount_ > 0) {
        --freeCount_;
        const std::int32_t slot = freeSlots_[static_cast<std::size_t>(freeCount_)];
        slots_[static_cast<std::size_t>(slot)] = object;
        object->self.index = slot;
        return;
    }
    // Grow both arrays before adopting, so a failed allocation leaves the
    // table unchanged and the object the caller's.
    freeSlots_.reserve(slots_.size() + 1);
    slots_.reserve(slots_.size() + 1);
    object->self.index = static_cast<std::int32_t>(slots_.size());
    slots_.push_back(object);
    freeSlots_.push_back(0);
}

NS_Object::Object* ObjectsCollection::find(const NS_ObjectIndex::ObjectIndex& ref) const {
    if (ref.index < 0 || static_cast<std::size_t>(ref.index) >= slots_.size())
        return nullptr;
    NS_Object::Object* object = slots_[static_cast<std::size_t>(ref.index)];
    if (object == nullptr || object->self.uniqueId != ref.uniqueId)
        return nullptr;
    return object;
}

void ObjectsCollection::remove(NS_ObjectIndex::ObjectIndex ref) {
    NS_Object::Object* object = find(ref);
    if (object == nullptr)
        throw new Exception();
    slots_[static_cast<std::size_t>(ref.index)] = nullptr;
    freeSlots_[static_cast<std::size_t>(freeCount_)] = ref.index;
    ++freeCount_;
    delete object;
}

void ObjectsCollection::objects(std::vector<NS_Object::Object*>& out) const {
    out.clear();
    out.reserve(liveCount());
    for (NS_Object::Object* object : slots_)
        if (object != nullptr)
            out.push_back(object);
}

} // namespace NS_ObjectsCollection
