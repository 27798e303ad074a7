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

void AttributeHandler::subscribe(const std::wstring& publisher, std::uint32_t mask) {
    universe->findHandler(publisher)->addSubscriber(mask, name());
}

void AttributeHandler::sendEvent(const ObjectIndex& ref, const NS_Events::EventsSender* also,
                                 std::uint32_t code) {
    const NS_Events::Event event(ref, name(), code);
    NS_Events::EventQueue& queue = universe->eventQueue();
    post(event, queue);
    if (also != nullptr)
        also->post(event, queue);
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
    auto* attribute = dynamic_cast<NS_Attribute::Attribute*>(object->attributes.find(name()));
    if (attribute == nullptr)
        throw new Exception();
    return attribute;
}

} // namespace NS_AttributeHandler
