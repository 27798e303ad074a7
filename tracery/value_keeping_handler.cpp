#include "tracery/value_keeping_handler.h"

void ValueKeepingHandler::removeAttribute(const NS_ObjectIndex::ObjectIndex& ref) {
    AttributeHandler::removeAttribute(ref);
    members_.erase(ref);
}

NS_Attribute::Attribute* ValueKeepingHandler::attributeOf(const NS_ObjectIndex::ObjectIndex& ref) {
    NS_Object::Object* object = universe->findObject(ref);
    if (object == nullptr)
        return nullptr;
    NS_AttributesCollection::AttributesCollectionElement* element = object->attributes.find(name());
    if (element == nullptr)
        throw new NS_AttributeHandler::Exception();
    // An object's collection holds nothing but attributes, and only this
    // handler attaches the one named after it.
    return static_cast<NS_Attribute::Attribute*>(element);
}
