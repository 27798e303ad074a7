#include "kernel/kernel_exceptions.h"

#include "kernel/attribute_handler.h"
#include "kernel/attributes_collection.h"
#include "kernel/object_index.h"
#include "kernel/objects_collection.h"
#include "kernel/platform_exception.h"
#include "kernel/time_service.h"
#include "kernel/universe.h"

#include <exception>
#include <mutex>
#include <vector>

namespace NS_KernelExceptions {

namespace {

struct Entry {
    Recogniser recognise;
    const char* name;
};

// Built on first use, so registrations from other translation units' static
// initialisers find it whatever the initialisation order; the kernel's own
// types come first.
struct Registry {
    std::mutex mutex;
    std::vector<Entry> entries{
        {&recognise<NS_ObjectIndex::Exception>, "NS_ObjectIndex::Exception"},
        {&recognise<NS_ObjectsCollection::Exception>, "NS_ObjectsCollection::Exception"},
        {&recognise<NS_AttributesCollection::Exception>, "NS_AttributesCollection::Exception"},
        {&recognise<NS_AttributeHandler::Exception>, "NS_AttributeHandler::Exception"},
        {&recognise<NS_Universe::Exception>, "NS_Universe::Exception"},
        {&recognise<NS_TimeService::Exception>, "NS_TimeService::Exception"},
        {&recognise<NS_Platform::Exception>, "NS_Platform::Exception"},
    };
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// The registered entries as they are now; visited outside the lock.
std::vector<Entry> entries() {
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    return r.entries;
}

std::string visitCurrentException(bool free) {
    for (const Entry& entry : entries())
        if (entry.recognise(free))
            return entry.name;
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an unknown exception";
    }
}

} // namespace

void registerException(Recogniser recognise, const char* name) {
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    for (const Entry& entry : r.entries)
        if (entry.recognise == recognise)
            return;
    r.entries.push_back(Entry{recognise, name});
}

std::string describeCurrentException() {
    return visitCurrentException(false);
}

void freeCurrentException() {
    visitCurrentException(true);
}

} // namespace NS_KernelExceptions
