#include "tracery/generative_point.h"

#include <vector>

using NS_ObjectIndex::ObjectIndex;

const std::wstring GenerativePoint::handlerName = L"GenerativePoint";

GenerativePoint::GenerativePoint(NS_AttributeHandler::UniverseForHandler* universe_)
    : TypedValueHandler(universe_) {
    setName(handlerName);
}

void GenerativePoint::handleEvent(const NS_Events::Event& event) {
    if (event.code != NS_Events::Step)
        return;
    std::vector<ObjectIndex> expired;
    for (const ObjectIndex& ref : members_) {
        NS_Attribute::Attribute* attribute = attributeOf(ref);
        if (attribute == nullptr)
            continue;
        auto* v = static_cast<GenerativePoint_value*>(attribute->value);
        if (v->countdown != 0) {
            v->countdown -= 1;
            publish(ref, attribute);
        } else {
            expired.push_back(ref);
        }
    }
    for (const ObjectIndex& ref : expired)
        universe->destroyObject(ref);
}
