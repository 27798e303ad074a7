#include "tracery/value_keeping_handler.h"

void ValueKeepingHandler::removeAttribute(const NS_ObjectIndex::ObjectIndex& ref) {
    AttributeHandler::removeAttribute(ref);
    members_.erase(ref);
}
