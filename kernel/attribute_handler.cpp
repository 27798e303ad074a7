#include "kernel/attribute_handler.h"

#include <memory>

namespace NS_AttributeHandler {

AttributeValue* AttributeHandler::getValue(const ObjectIndex&) {
    throw new Exception();
}

void AttributeHandler::addAttribute(const ObjectIndex&) {
    throw new Exception();
}

void AttributeHandler::setValue(const ObjectIndex&, AttributeValue*) {
    throw new Exception();
}

void AttributeHandler::removeAttribute(const ObjectIndex& ref) {
    NS_Object::Object* object = universe->findObject(ref);
    if (object == nullptr)
        throw new Exception();
    object->attributes.remove(name());
    sendEvent(ref, nullptr, NS_Events::AttributeRemoved);
}

void AttributeHandler::subscribe(const NS_Names::Name& publisher, std::uint32_t mask) {
    universe->findHandler(publisher)->addSubscriber(mask, name());
}

void AttributeHandler::attachValue(const ObjectIndex& ref, AttributeValue* value) {
    if (value == nullptr)
        throw new Exception();
    // Owned from here on: every failure path below deletes it.
    std::unique_ptr<AttributeValue> owned(value);
    NS_Object::Object* object = universe->findObject(ref);
    if (object == nullptr)
        throw new Exception();
    if (object->attributes.find(name()) != nullptr)
        throw new Exception();
    auto attribute = std::make_unique<NS_Attribute::Attribute>(name());
    attribute->value = owned.release();
    object->attributes.insert(attribute.get());
    attribute.release();
    sendEvent(ref, nullptr, NS_Events::AttributeAdded);
}

AttributeValue* AttributeHandler::standardGetValue(const ObjectIndex& ref) {
    return ownAttribute(ref)->value;
}

NS_Attribute::Attribute* AttributeHandler::ownAttribute(const ObjectIndex& ref) {
    NS_Object::Object* object = universe->findObject(ref);
    if (object == nullptr)
        throw new Exception();
    NS_AttributesCollection::AttributesCollectionElement* element = object->attributes.find(name());
    NS_Attribute::Attribute* attribute = element == nullptr ? nullptr : element->asAttribute();
    if (attribute == nullptr)
        throw new Exception();
    return attribute;
}

} // namespace NS_AttributeHandler
