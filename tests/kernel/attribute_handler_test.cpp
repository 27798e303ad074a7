#include "kernel/system_handler.h"
#include "kernel_test_support.h"

using namespace kernel_test;
using NS_ObjectIndex::ObjectIndex;

namespace {

// "Values" keeps values; "Listener" subscribes to it with `mask`. The thread
// has ended, so the test drives the universe directly.
struct World {
    EventLog log;
    TestModel model;
    NS_Universe::Universe universe;
    TestHandler* values;
    TestHandler* listener;

    explicit World(std::uint32_t mask)
        : model([this, mask](auto* u, auto& list) {
              list.push_back(new TestHandler(u, L"Values", &log));
              list.push_back(new TestHandler(u, L"Listener", &log, L"Values", mask));
          }),
          universe(model, virtualTicks(0)) {
        EXPECT_TRUE(universe.waitUntilEnded(10000));
        values = handler<TestHandler>(universe, L"Values");
        listener = handler<TestHandler>(universe, L"Listener");
    }
    ObjectIndex newObject() { return universe.createObject()->self; }
};

} // namespace

TEST(AttributeHandler, AttachValueFailuresDeleteTheValueAndPostNothing) {
    World w(7);
    int deletions = 0;
    const ObjectIndex ref = w.newObject();
    w.values->attachValue(ref, new CountedValue(&deletions, 1));
    w.universe.dispatch();

    expectThrows<NS_AttributeHandler::Exception>(
        [&] { w.values->attachValue(ref, new CountedValue(&deletions, 2)); });
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(dynamic_cast<CountedValue*>(w.values->getValue(ref))->payload, 1);

    const ObjectIndex doomed = w.newObject();
    w.universe.destroyObject(doomed);
    expectThrows<NS_AttributeHandler::Exception>(
        [&] { w.values->attachValue(doomed, new CountedValue(&deletions)); });
    EXPECT_EQ(deletions, 2);
    expectThrows<NS_AttributeHandler::Exception>([&] { w.values->attachValue(ref, nullptr); });
    EXPECT_TRUE(w.universe.eventQueue().empty());
}

TEST(AttributeHandler, RemoveAttributePostsAfterTheValueIsGone) {
    World w(4);
    const ObjectIndex ref = w.newObject();
    w.values->addAttribute(ref);
    w.listener->reaction = [&](const NS_Events::Event& e) {
        expectThrows<NS_AttributeHandler::Exception>([&] { w.values->getValue(e.object); });
    };
    w.values->removeAttribute(ref);
    w.universe.dispatch();
    ASSERT_EQ(w.log.events.size(), 1u);
    EXPECT_EQ(w.log.events[0].code, NS_Events::AttributeRemoved);
    expectThrows<NS_AttributesCollection::Exception>([&] { w.values->removeAttribute(ref); });
}

TEST(AttributeHandler, SetValueOverwritesInPlaceAndNotifiesHandlerAndAttributeSubscribers) {
    World w(2);
    const ObjectIndex ref = w.newObject();
    w.values->addAttribute(ref);
    auto* stored = dynamic_cast<CountedValue*>(w.values->getValue(ref));
    auto* attribute = dynamic_cast<NS_Attribute::Attribute*>(
        w.universe.findObject(ref)->attributes.find(L"Values"));
    attribute->addSubscriber(2, L"Values");

    CountedValue mine(nullptr, 42);
    w.values->setValue(ref, &mine);
    EXPECT_EQ(stored->payload, 42) << "a pointer obtained earlier sees the new contents";
    w.universe.dispatch();
    ASSERT_EQ(w.log.events.size(), 2u);
    EXPECT_EQ(w.log.events[0].receiver, L"Listener");
    EXPECT_EQ(w.log.events[1].receiver, L"Values");
}

TEST(AttributeHandler, BaseSlotsAndUnresolvedReferencesThrow) {
    World w(0);
    auto* system = handler<NS_SystemHandler::SystemHandler>(w.universe, L"ObjectIndex");
    const ObjectIndex ref = w.newObject();
    CountedValue v;
    expectThrows<NS_AttributeHandler::Exception>([&] { system->addAttribute(ref); });
    expectThrows<NS_AttributeHandler::Exception>([&] { system->setValue(ref, &v); });
    expectThrows<NS_AttributeHandler::Exception>([&] { w.values->getValue(ref); });
    expectThrows<NS_AttributeHandler::Exception>([&] { w.values->setValue(ref, &v); });
    expectThrows<NS_AttributeHandler::Exception>([&] { w.values->removeAttribute(ObjectIndex()); });
    expectThrows<NS_AttributeHandler::Exception>([&] { w.universe.findHandler(L"Nobody"); });
}
