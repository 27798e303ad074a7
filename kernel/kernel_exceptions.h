#pragma once

#include <string>

namespace NS_KernelExceptions {

// Kernel errors are thrown as pointers to freshly allocated empty classes
// (NS_AttributeHandler::Exception and its siblings). These two helpers are for
// the few places that must catch everything: call them only inside a catch
// block, about the exception being handled.

// What is being handled, for a person: the kernel exception's type name
// ("NS_AttributeHandler::Exception"), a standard exception's what(), or
// "an unknown exception". Frees nothing.
std::string describeCurrentException();

// Frees the handled exception if it is a kernel exception pointer; anything
// else needs no freeing.
void freeCurrentException();

} // namespace NS_KernelExceptions
