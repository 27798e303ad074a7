#include "tracery/generative_point.h"

#include <vector>

using NS_ObjectIndex::ObjectIndex;

const std::wstring GenerativePoint::handlerName = L"GenerativePoint";

GenerativePoint::GenerativePoint(NS_AttributeHandler::UniverseForHandler* universe_)
    : ValueKeepingHandler(universe_) {
    setName(handlerName);
}

void GenerativePoint::addAttribute(const ObjectIndex& ref) {
    standardAddAttribute<GenerativePoint_value>(ref);
    members_.insert(ref);
}

void GenerativePoint::setValue(const ObjectIndex& ref, NS_Attribute::AttributeValue* newValue) {
    standardSetValue<GenerativePoint_value>(ref, newValue);
}

GenerativePoint_value* GenerativePoint::valueOf(const ObjectIndex& ref) {
    NS_Attribute::Attribute* attribute = attributeOf(ref);
    if (attribute == nullptr)
        throw new NS_AttributeHandler::Exception();
    return static_cast<GenerativePoint_value*>(attribute->value);
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
