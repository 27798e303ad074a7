#include "kernel/kernel_exceptions.h"

#include "kernel/attribute_handler.h"
#include "kernel/attributes_collection.h"
#include "kernel/object_index.h"
#include "kernel/objects_collection.h"
#include "kernel/platform_exception.h"
#include "kernel/time_service.h"
#include "kernel/universe.h"

#include <exception>

namespace NS_KernelExceptions {

namespace {

// One pass over the kernel's exception types: names the exception being
// handled and, when asked, frees it.
template <class E> std::string named(E* e, const char* name, bool free) {
    if (free)
        delete e;
    return name;
}

std::string visitCurrentException(bool free) {
    try {
        throw;
    } catch (NS_ObjectIndex::Exception* e) {
        return named(e, "NS_ObjectIndex::Exception", free);
    } catch (NS_ObjectsCollection::Exception* e) {
        return named(e, "NS_ObjectsCollection::Exception", free);
    } catch (NS_AttributesCollection::Exception* e) {
        return named(e, "NS_AttributesCollection::Exception", free);
    } catch (NS_AttributeHandler::Exception* e) {
        return named(e, "NS_AttributeHandler::Exception", free);
    } catch (NS_Universe::Exception* e) {
        return named(e, "NS_Universe::Exception", free);
    } catch (NS_TimeService::Exception* e) {
        return named(e, "NS_TimeService::Exception", free);
    } catch (NS_Platform::Exception* e) {
        return named(e, "NS_Platform::Exception", free);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an unknown exception";
    }
}

} // namespace

std::string describeCurrentException() {
    return visitCurrentException(false);
}

void freeCurrentException() {
    visitCurrentException(true);
}

} // namespace NS_KernelExceptions
