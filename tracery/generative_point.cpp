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
    auto* value = dynamic_cast<GenerativePoint_value*>(getValue(ref));
    if (value == nullptr)
        throw new NS_AttributeHandler::Exception();
    return value;
}

void GenerativePoint::handleEvent(const NS_Events::Event& event) {
    if (event.code != NS_Events::Step)
        return;
    std::vector<ObjectIndex> expired;
    for (const ObjectIndex& ref : members_) {
        if (universe->findObject(ref) == nullptr)
            continue;
        GenerativePoint_value* v = valueOf(ref);
        if (v->countdown != 0) {
            v->countdown -= 1;
            setValue(ref, v);
        } else {
            expired.push_back(ref);
        }
    }
    for (const ObjectIndex& ref : expired)
        universe->destroyObject(ref);
}
