#include "kernel/universe.h"

#include "kernel/kernel_exceptions.h"
#include "kernel/system_handler.h"

#include <memory>
#include <vector>

namespace NS_Universe {

Universe::Universe(NS_InitialModel::InitialModel& model, RunOptions options)
    : options_(std::move(options)) {
    auto system = std::make_unique<NS_SystemHandler::SystemHandler>(this);
    shared_.handlers.insert(system.get());
    system_ = system.release();

    model.setUniverse(this);
    std::vector<NS_AttributeHandler::AttributeHandler*> list;
    // The model hands over ownership as it appends, so whatever is in the list
    // when something fails must be freed here: a handler constructor that
    // throws, or a duplicate name.
    std::size_t installed = 0;
    try {
        model.createHandlers(list);
        for (; installed < list.size(); ++installed)
            shared_.handlers.insert(list[installed]);
    } catch (...) {
        for (std::size_t i = installed; i < list.size(); ++i)
            delete list[i];
        throw;
    }

    try {
        shared_.doneEvent = std::make_unique<NS_Platform::Event>();
        shared_.stopEvent = std::make_unique<NS_Platform::Event>();
    } catch (NS_Platform::Exception* e) {
        delete e;
        throw new Exception();
    }
    try {
        thread_ = std::make_unique<NS_Platform::Thread>(&Universe::threadEntry, this);
    } catch (NS_Platform::Exception* e) {
        delete e;
        throw new Exception();
    }
}

Universe::~Universe() noexcept(false) {
    if (thread_) {
        // A thread that already ended (tick limit, failure) has signalled done
        // and needs no stop request; one that runs finishes its tick first.
        if (thread_->isRunning()) {
            shared_.stopEvent->set();
            shared_.doneEvent->wait();
        }
        thread_.reset();
    }

    std::exception_ptr firstError;
    std::vector<NS_Object::Object*> live;
    shared_.objectTable.objects(live);
    std::vector<NS_ObjectIndex::ObjectIndex> refs;
    refs.reserve(live.size());
    for (NS_Object::Object* object : live)
        refs.push_back(object->self);
    for (const NS_ObjectIndex::ObjectIndex& ref : refs)
        discardObject(ref, firstError);
    // An event whose handling fails is dropped; the rest are still delivered.
    for (;;) {
        try {
            dispatch();
            break;
        } catch (...) {
            if (!firstError)
                firstError = std::current_exception();
            else
                NS_KernelExceptions::freeCurrentException();
        }
    }

    shared_.doneEvent.reset();
    shared_.stopEvent.reset();
    // The members then go in reverse order: queue, handlers, and the object
    // table, empty by now, so its destructor has nothing to complain about.
    if (!firstError)
        return;
    if (std::uncaught_exceptions() == 0)
        std::rethrow_exception(firstError);
    try {
        std::rethrow_exception(firstError);
    } catch (...) {
        NS_KernelExceptions::freeCurrentException();
    }
}

void Universe::discardObject(NS_ObjectIndex::ObjectIndex ref, std::exception_ptr& firstError) {
    auto keep = [&firstError] {
        if (!firstError)
            firstError = std::current_exception();
        else
            NS_KernelExceptions::freeCurrentException();
    };
    try {
        destroyObject(ref);
        return;
    } catch (...) {
        keep();
    }
    NS_Object::Object* object = findObject(ref);
    if (object == nullptr)
        return;
    // Every handler still attached gets its own chance to remove its attribute.
    std::vector<NS_Names::Name> names;
    for (const auto& entry : object->attributes)
        names.push_back(entry.name);
    for (const NS_Names::Name& name : names) {
        if (name == NS_SystemHandler::SystemHandler::handlerName)
            continue;
        try {
            if (object->attributes.find(name) != nullptr)
                findHandler(name)->removeAttribute(ref);
        } catch (...) {
            keep();
        }
    }
    shared_.objectTable.remove(ref);
}

NS_AttributeHandler::AttributeHandler* Universe::findHandler(const NS_Names::Name& name) {
    NS_AttributesCollection::AttributesCollectionElement* element = shared_.handlers.find(name);
    NS_AttributeHandler::AttributeHandler* handler =
        element == nullptr ? nullptr : element->asHandler();
    if (handler == nullptr)
        throw new NS_AttributeHandler::Exception();
    return handler;
}

NS_Object::Object* Universe::createObject() {
    auto object = std::make_unique<NS_Object::Object>();
    object->self.assignNewUniqueId();
    shared_.objectTable.insert(object.get());
    NS_Object::Object* created = object.release();
    // Installed by the constructor before anything else and never replaced.
    system_->attachIndex(*created);
    return created;
}

void Universe::destroyObject(const NS_ObjectIndex::ObjectIndex& ref) {
    NS_Object::Object* object = findObject(ref);
    if (object == nullptr)
        throw new NS_AttributeHandler::Exception();
    // `ref` is often the object's own self, which dies with the object.
    const NS_ObjectIndex::ObjectIndex copy = ref;
    // Snapshot the names first: each removeAttribute changes the collection.
    // An object carries a handful of attributes, so the snapshot usually fits
    // on the stack.
    constexpr std::size_t OnStack = 8;
    NS_Names::Name stackNames[OnStack];
    std::vector<NS_Names::Name> heapNames;
    NS_Names::Name* names = stackNames;
    const std::size_t count = object->attributes.size();
    if (count > OnStack) {
        heapNames.resize(count);
        names = heapNames.data();
    }
    std::size_t n = 0;
    for (const auto& entry : object->attributes)
        names[n++] = entry.name;
    for (std::size_t i = 0; i < count; ++i) {
        if (names[i] == NS_SystemHandler::SystemHandler::handlerName)
            continue;
        findHandler(names[i])->removeAttribute(copy);
    }
    shared_.objectTable.remove(copy);
}

void Universe::dispatch() {
    while (!shared_.queue.empty()) {
        const NS_Events::Event event = shared_.queue.pop();
        findHandler(event.receiver)->handleEvent(event);
        ++eventsDispatched_;
    }
}

bool Universe::waitUntilEnded(int milliseconds) {
    return !thread_ || thread_->waitFor(milliseconds);
}

void Universe::broadcast(std::uint32_t code) {
    // The handlers are enumerated afresh for each pass, in ascending name order;
    // every tick event is queued before the dispatch begins.
    NS_Events::Event event(NS_ObjectIndex::ObjectIndex(), NS_Names::Name(), code);
    for (const auto& entry : shared_.handlers) {
        event.receiver = entry.name;
        shared_.queue.push(event);
    }
    dispatch();
}

bool destroyUniverse(std::unique_ptr<Universe>& universe) {
    Universe* ending = universe.release();
    try {
        delete ending;
    } catch (...) {
        NS_KernelExceptions::freeCurrentException();
        return false;
    }
    return true;
}

} // namespace NS_Universe
