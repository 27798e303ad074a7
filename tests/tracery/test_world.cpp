#include "tests/tracery/test_world.h"

#include "kernel/system_handler.h"

#include <memory>

using Elements = std::vector<NS_AttributesCollection::AttributesCollectionElement*>;

TestWorld::TestWorld() {
    handlers_.insert(new NS_SystemHandler::SystemHandler(this));
}

TestWorld::~TestWorld() noexcept {
    std::vector<NS_Object::Object*> live;
    objects_.objects(live);
    for (NS_Object::Object* object : live)
        destroyObject(object->self);
    dispatch();
}

void TestWorld::start() {
    Elements elements;
    handlers_.elements(elements);
    for (auto* element : elements)
        dynamic_cast<NS_AttributeHandler::AttributeHandler&>(*element).start();
}

void TestWorld::tick() {
    broadcast(NS_Events::Step);
    broadcast(NS_Events::Render);
}

void TestWorld::broadcast(std::uint32_t code) {
    NS_Events::Event event(NS_ObjectIndex::ObjectIndex(), std::wstring(), code);
    Elements elements;
    handlers_.elements(elements);
    for (auto* element : elements) {
        event.receiver = element->name();
        queue_.push(event);
    }
    dispatch();
}

void TestWorld::dispatch() {
    while (!queue_.empty()) {
        const NS_Events::Event event = queue_.pop();
        events_.push_back(event);
        findHandler(event.receiver)->handleEvent(event);
    }
}

NS_Object::Object* TestWorld::findObject(const NS_ObjectIndex::ObjectIndex& ref) {
    return objects_.find(ref);
}

NS_AttributeHandler::AttributeHandler* TestWorld::findHandler(const std::wstring& name) {
    auto* handler = dynamic_cast<NS_AttributeHandler::AttributeHandler*>(handlers_.find(name));
    if (handler == nullptr)
        throw new NS_AttributeHandler::Exception();
    return handler;
}

NS_Object::Object* TestWorld::createObject() {
    auto object = std::make_unique<NS_Object::Object>();
    object->self.assignNewUniqueId();
    objects_.insert(object.get());
    NS_Object::Object* created = object.release();
    dynamic_cast<NS_SystemHandler::SystemHandler&>(*findHandler(L"ObjectIndex"))
        .attachIndex(*created);
    return created;
}

void TestWorld::destroyObject(const NS_ObjectIndex::ObjectIndex& ref) {
    NS_Object::Object* object = findObject(ref);
    if (object == nullptr)
        throw new NS_AttributeHandler::Exception();
    const NS_ObjectIndex::ObjectIndex copy = ref;
    Elements snapshot;
    object->attributes.elements(snapshot);
    for (auto* element : snapshot) {
        const std::wstring name = element->name();
        if (name != L"ObjectIndex")
            findHandler(name)->removeAttribute(copy);
    }
    objects_.remove(copy);
}

std::vector<NS_Events::Event> TestWorld::received(const std::wstring& sender, std::uint32_t code,
                                                  const NS_ObjectIndex::ObjectIndex* object) const {
    std::vector<NS_Events::Event> out;
    for (const NS_Events::Event& e : events_)
        if (e.receiver == L"Listener" && e.sender == sender && e.code == code &&
            (object == nullptr || e.object.uniqueId == object->uniqueId))
            out.push_back(e);
    return out;
}
