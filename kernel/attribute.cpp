#include "kernel/attribute.h"

namespace NS_Attribute {

Attribute::Attribute(const std::wstring& name) : name_(name) {}

Attribute::~Attribute() {
    delete value;
}

} // namespace NS_Attribute
