#include "tracery/value_keeping_handler.h"

#include <algorithm>

namespace {
bool byUniqueId(const NS_ObjectIndex::ObjectIndex& a, const NS_ObjectIndex::ObjectIndex& b) {
    return a < b;
}
} // namespace

void ValueKeepingHandler::removeAttribute(const NS_ObjectIndex::ObjectIndex& ref) {
    // The base removal goes first: a reference that does not resolve, or an
    // object without the attribute, throws before anything is forgotten, so
    // the object stays a member and keeps being stepped.
    try {
        AttributeHandler::removeAttribute(ref);
    } catch (...) {
        // The attribute may already be gone when posting the event failed;
        // then its entry must not outlive it.
        NS_Object::Object* object = universe->findObject(ref);
        if (object != nullptr && object->attributes.find(name()) == nullptr)
            forget(ref);
        throw;
    }
    forget(ref);
}

void ValueKeepingHandler::forget(const NS_ObjectIndex::ObjectIndex& ref) {
    auto it = std::lower_bound(
        members_.begin(), members_.end(), ref,
        [](const Member& m, const NS_ObjectIndex::ObjectIndex& r) { return byUniqueId(m.ref, r); });
    for (; it != members_.end() && !(ref < it->ref); ++it) {
        if (it->attribute != nullptr) {
            it->attribute = nullptr;
            --live_;
            break;
        }
    }
    // Between walks, keep the empty slots from piling up.
    if (members_.size() > 2 * live_ + 64)
        compact();
}

void ValueKeepingHandler::addMember(const NS_ObjectIndex::ObjectIndex& ref) {
    const Member member{ref, ownAttribute(ref)};
    // New objects have the largest ids, so this is nearly always an append.
    if (members_.empty() || !(ref < members_.back().ref)) {
        members_.push_back(member);
    } else {
        auto at = std::upper_bound(members_.begin(), members_.end(), ref,
                                   [](const NS_ObjectIndex::ObjectIndex& r, const Member& m) {
                                       return byUniqueId(r, m.ref);
                                   });
        const auto position = static_cast<std::size_t>(at - members_.begin());
        members_.insert(at, member);
        // Keep the walk on the entry it was visiting: an older object joining
        // mid-walk is not visited by it, as it sorts before the current one.
        if (walking_ && position <= cursor_)
            ++cursor_;
    }
    ++live_;
}

std::vector<NS_ObjectIndex::ObjectIndex> ValueKeepingHandler::members() const {
    std::vector<NS_ObjectIndex::ObjectIndex> out;
    out.reserve(live_);
    for (const Member& m : members_)
        if (m.attribute != nullptr)
            out.push_back(m.ref);
    return out;
}

void ValueKeepingHandler::compact() {
    if (walking_ || live_ == members_.size())
        return;
    members_.erase(std::remove_if(members_.begin(), members_.end(),
                                  [](const Member& m) { return m.attribute == nullptr; }),
                   members_.end());
}
