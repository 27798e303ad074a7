#include "tracery/generative_point.h"

#include <vector>

using NS_ObjectIndex::ObjectIndex;

const NS_Names::Name GenerativePoint::handlerName = L"GenerativePoint";

GenerativePoint::GenerativePoint(NS_AttributeHandler::UniverseForHandler* universe_)
    : TypedValueHandler(universe_) {
    setName(handlerName);
}

void GenerativePoint::handleEvent(const NS_Events::Event& event) {
    if (event.code != NS_Events::Step)
        return;
    ending_.clear();
    walk([&](const ObjectIndex& ref, NS_Attribute::Attribute* attribute) {
        GenerativePoint_value& v = valueIn(attribute);
        if (v.countdown != 0) {
            v.countdown -= 1;
            publish(ref, attribute);
        } else {
            ending_.push_back(ref);
        }
    });
    destroyEnding();
}
