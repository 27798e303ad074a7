#include "kernel/system_handler.h"

#include <memory>

namespace NS_SystemHandler {

const NS_Names::Name SystemHandler::handlerName = L"ObjectIndex";

SystemHandler::SystemHandler(NS_AttributeHandler::UniverseForHandler* universe_)
    : AttributeHandler(universe_) {
    setName(handlerName);
}

NS_Attribute::AttributeValue* SystemHandler::getValue(const NS_ObjectIndex::ObjectIndex& ref) {
    return standardGetValue(ref);
}

void SystemHandler::attachIndex(NS_Object::Object& object) {
    auto attribute = std::make_unique<NS_Attribute::Attribute>(name());
    auto* value = new SystemValue();
    value->objectIndex = object.self;
    attribute->value = value;
    object.attributes.insert(attribute.get());
    attribute.release();
    sendEvent(value->objectIndex, nullptr, NS_Events::AttributeAdded);
}

} // namespace NS_SystemHandler
