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

std::string describeCurrentException() {
    try {
        throw;
    } catch (NS_ObjectIndex::Exception*) {
        return "NS_ObjectIndex::Exception";
    } catch (NS_ObjectsCollection::Exception*) {
        return "NS_ObjectsCollection::Exception";
    } catch (NS_AttributesCollection::Exception*) {
        return "NS_AttributesCollection::Exception";
    } catch (NS_AttributeHandler::Exception*) {
        return "NS_AttributeHandler::Exception";
    } catch (NS_Universe::Exception*) {
        return "NS_Universe::Exception";
    } catch (NS_TimeService::Exception*) {
        return "NS_TimeService::Exception";
    } catch (NS_Platform::Exception*) {
        return "NS_Platform::Exception";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an unknown exception";
    }
}

void freeCurrentException() {
    try {
        throw;
    } catch (NS_ObjectIndex::Exception* e) {
        delete e;
    } catch (NS_ObjectsCollection::Exception* e) {
        delete e;
    } catch (NS_AttributesCollection::Exception* e) {
        delete e;
    } catch (NS_AttributeHandler::Exception* e) {
        delete e;
    } catch (NS_Universe::Exception* e) {
        delete e;
    } catch (NS_TimeService::Exception* e) {
        delete e;
    } catch (NS_Platform::Exception* e) {
        delete e;
    } catch (...) {
    }
}

} // namespace NS_KernelExceptions
