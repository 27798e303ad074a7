#include "kernel/attribute.h"

namespace NS_Attribute {

Attribute::~Attribute() {
    delete value;
}

} // namespace NS_Attribute
