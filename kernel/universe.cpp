#include "kernel/universe.h"

#include "kernel/system_handler.h"

#include <memory>
#include <vector>

namespace NS_Universe {

void simulationThreadEntry(void* argument) {
    simulationThread(static_cast<Universe*>(argument));
}

Universe::Universe(NS_InitialModel::InitialModel& model, RunOptions options)
    : options_(std::move(options)) {
    auto system = std::make_unique<NS_SystemHandler::SystemHandler>(this);
    handlers.insert(system.get());
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
            handlers.insert(list[installed]);
    } catch (...) {
        for (std::size_t i = installed; i < list.size(); ++i)
            delete list[i];
        throw;
    }

    try {
        doneEvent = std::make_unique<NS_Platform::Event>();
        stopEvent = std::make_unique<NS_Platform::Event>();
    } catch (NS_Platform::Exception* e) {
        delete e;
        throw new Exception();
    }
    try {
        thread_ = std::make_unique<NS_Platform::Thread>(&simulationThreadEntry, this);
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
            stopEvent->set();
            doneEvent->wait();
        }
        thread_.reset();
    }

    std::vector<NS_Object::Object*> live;
    objectTable.objects(live);
    for (NS_Object::Object* object : live)
        destroyObject(object->self);
    dispatch();

    doneEvent.reset();
    stopEvent.reset();
    // Members then go in reverse order: queue, handlers, objectTable.
}

NS_Object::Object* Universe::findObject(const NS_ObjectIndex::ObjectIndex& ref) {
    return objectTable.find(ref);
}

NS_AttributeHandler::AttributeHandler* Universe::findHandler(const NS_Names::Name& name) {
    NS_AttributesCollection::AttributesCollectionElement* element = handlers.find(name);
    NS_AttributeHandler::AttributeHandler* handler =
        element == nullptr ? nullptr : element->asHandler();
    if (handler == nullptr)
        throw new NS_AttributeHandler::Exception();
    return handler;
}

NS_Object::Object* Universe::createObject() {
    auto object = std::make_unique<NS_Object::Object>();
    object->self.assignNewUniqueId();
    objectTable.insert(object.get());
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
    objectTable.remove(copy);
}

void Universe::dispatch() {
    while (!queue.empty()) {
        const NS_Events::Event event = queue.pop();
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
    for (const auto& entry : handlers) {
        event.receiver = entry.name;
        queue.push(event);
    }
    dispatch();
}

} // namespace NS_Universe
