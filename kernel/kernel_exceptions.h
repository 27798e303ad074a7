#pragma once

#include <string>

namespace NS_KernelExceptions {

// Veltrane's errors are thrown as pointers to freshly allocated empty classes
// (NS_AttributeHandler::Exception, NS_DigitStrip::Exception and their
// siblings). The helpers below are for the few places that must catch
// everything: call them only inside a catch block, about the exception being
// handled.

// What is being handled, for a person: a registered exception's type name
// ("NS_AttributeHandler::Exception"), a standard exception's what(), or
// "an unknown exception". Frees nothing.
std::string describeCurrentException();

// Frees the handled exception if it is a registered exception pointer;
// anything else needs no freeing.
void freeCurrentException();

// The list of exception types is open: every module registers the types it
// throws by pointer. The kernel's own are always known. Another module
// registers from the translation unit that throws them (a static
// ExceptionRegistration there), so the registration is linked in whenever the
// throwing code is. Registering the same type again changes nothing.
// Thread-safe: registration and the two helpers above may run on any thread.

// Recognises the handled exception as a pointer to one type and, when `free`
// is set, deletes it.
using Recogniser = bool (*)(bool free);

void registerException(Recogniser recognise, const char* name);

template <class E> bool recognise(bool free) {
    try {
        throw;
    } catch (E* e) {
        if (free)
            delete e;
        return true;
    } catch (...) {
        return false;
    }
}

// Registers E (thrown as `new E()`) under `name` when constructed.
template <class E> struct ExceptionRegistration {
    explicit ExceptionRegistration(const char* name) { registerException(&recognise<E>, name); }
};

} // namespace NS_KernelExceptions
