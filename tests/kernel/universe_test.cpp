#include "kernel/system_handler.h"
#include "kernel_test_support.h"

#include <atomic>
#include <chrono>
#include <stdexcept>

using namespace kernel_test;
using NS_ObjectIndex::ObjectIndex;

namespace {

TestModel twoHandlers(EventLog* log, const wchar_t* publisher = L"", std::uint32_t mask = 0) {
    return TestModel([log, publisher, mask](auto* u, auto& list) {
        list.push_back(new TestHandler(u, L"Values", log));
        list.push_back(new TestHandler(u, L"Listener", log, publisher, mask));
    });
}

} // namespace

TEST(Universe, NewObjectsCarryTheirOwnIndexAndIdsContinueAcrossUniverses) {
    EventLog log;
    TestModel model = twoHandlers(&log, L"ObjectIndex", 5);
    std::int64_t lastId = 0;
    {
        NS_Universe::Universe u(model, virtualTicks(0));
        ASSERT_TRUE(u.waitUntilEnded(10000));
        NS_Object::Object* object = u.createObject();
        EXPECT_EQ(object->attributes.size(), 1u);
        auto* value = dynamic_cast<NS_SystemHandler::SystemValue*>(
            u.findHandler(L"ObjectIndex")->getValue(object->self));
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(std::pair(value->objectIndex.index, value->objectIndex.uniqueId),
                  std::pair(object->self.index, object->self.uniqueId));
        lastId = object->self.uniqueId;
        u.destroyObject(object->self);
        u.dispatch();
        // Creation is announced; destruction of the index attribute is not.
        ASSERT_EQ(log.events.size(), 1u);
        EXPECT_EQ(log.events[0].code, NS_Events::AttributeAdded);
    }
    NS_Universe::Universe second(model, virtualTicks(0));
    ASSERT_TRUE(second.waitUntilEnded(10000));
    EXPECT_EQ(second.createObject()->self.uniqueId, lastId + 1);
}

TEST(Universe, DispatchHandlesFollowUpWavesDestroysObjectsAndRejectsStaleOrUnknownReferences) {
    EventLog log;
    TestModel model = twoHandlers(&log, L"Values", 2 | 4); // ValueChanged, AttributeRemoved
    NS_Universe::Universe u(model, virtualTicks(0));
    ASSERT_TRUE(u.waitUntilEnded(10000));
    u.destroyObject(u.createObject()->self);
    EXPECT_TRUE(u.eventQueue().empty())
        << "an object with only its index attribute calls no handler";

    auto* values = handler<TestHandler>(u, L"Values");
    const ObjectIndex ref = u.createObject()->self;
    int depth = 0;
    handler<TestHandler>(u, L"Listener")->reaction = [&](const NS_Events::Event& e) {
        if (++depth <= 2) { // each of the first two answers with two more
            values->sendEvent(e.object, nullptr, NS_Events::ValueChanged);
            values->sendEvent(e.object, nullptr, NS_Events::ValueChanged);
        }
    };
    values->sendEvent(ref, nullptr, NS_Events::ValueChanged);
    u.dispatch();
    EXPECT_TRUE(u.eventQueue().empty());
    EXPECT_EQ(log.events.size(), 5u);

    NS_Events::Event lost(ref, L"Values", NS_Events::ValueChanged);
    lost.receiver = L"Nobody";
    u.eventQueue().push(lost);
    expectThrows<NS_AttributeHandler::Exception>([&] { u.dispatch(); });
    EXPECT_TRUE(u.eventQueue().empty()) << "the event has already left the queue";

    int deletions = 0;
    values->attachValue(ref, new CountedValue(&deletions));
    u.dispatch();
    u.destroyObject(ref);
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(u.findObject(ref), nullptr);
    u.dispatch();
    ASSERT_EQ(log.events.size(), 6u);
    EXPECT_EQ(log.events.back().code, NS_Events::AttributeRemoved);

    // A second destruction fails without freeing the slot twice: two new
    // objects get two slots.
    expectThrows<NS_AttributeHandler::Exception>([&] { u.destroyObject(ref); });
    EXPECT_NE(u.createObject()->self.index, u.createObject()->self.index);
}

TEST(Universe, TicksReachEveryHandlerInNameOrderAndStepSettlesBeforeRender) {
    EventLog log;
    TestModel model([&log](auto* u, auto& list) {
        auto* zeta = new TestHandler(u, L"Zeta", &log);
        // Zeta answers its Step with a chain of three ValueChanged events that
        // Alpha receives: all of it must be handled before any Render.
        zeta->reaction = [zeta, chain = 0](const NS_Events::Event& e) mutable {
            if (e.code == NS_Events::Step)
                chain = 0;
            if (e.code == NS_Events::Step || (e.code == NS_Events::ValueChanged && ++chain < 3))
                zeta->sendEvent(NS_ObjectIndex::ObjectIndex(), nullptr, NS_Events::ValueChanged);
        };
        zeta->addSubscriber(2, L"Alpha");
        zeta->addSubscriber(2, L"Zeta");
        list.push_back(zeta);
        list.push_back(new TestHandler(u, L"Alpha", &log));
    });
    NS_Universe::Universe u(model, virtualTicks(2));
    ASSERT_TRUE(u.waitUntilEnded(10000));
    EXPECT_FALSE(u.simulationFailed());
    EXPECT_EQ(u.ticksRun(), 2);

    std::vector<std::wstring> order;
    for (const Received& r : log.events)
        order.push_back(r.receiver + (r.code == NS_Events::Step     ? L":S"
                                      : r.code == NS_Events::Render ? L":R"
                                                                    : L":V"));
    const std::vector<std::wstring> oneTick{L"Alpha:S", L"Zeta:S", L"Alpha:V", L"Zeta:V",
                                            L"Alpha:V", L"Zeta:V", L"Alpha:V", L"Zeta:V",
                                            L"Alpha:R", L"Zeta:R"};
    std::vector<std::wstring> expected = oneTick;
    expected.insert(expected.end(), oneTick.begin(), oneTick.end());
    EXPECT_EQ(order, expected);
    // "ObjectIndex" gets its Step and Render too, though it logs nothing.
    EXPECT_EQ(u.eventsDispatched(), 2u * (2u * 3u + 6u));
}

TEST(Universe, DuplicateHandlerNamesFailConstructionWithoutLeaks) {
    for (const wchar_t* second : {L"Same", L"ObjectIndex"}) { // the system handler's name
        TestModel model([second](auto* u, auto& list) {
            list.push_back(new TestHandler(u, L"Same", nullptr));
            list.push_back(new TestHandler(u, second, nullptr));
            list.push_back(new TestHandler(u, L"Other", nullptr));
        });
        expectThrows<NS_AttributesCollection::Exception>(
            [&] { NS_Universe::Universe u(model, virtualTicks(0)); });
    }
}

// A kernel exception and a standard one, each with its message for the owner.
TEST(Universe, AHandlerThatThrowsFailsTheSimulationAndTeardownStillCompletes) {
    for (auto pacing : {NS_TimeService::Pacing::Virtual, NS_TimeService::Pacing::RealTime}) {
        const bool kernelError = pacing == NS_TimeService::Pacing::Virtual;
        EventLog log;
        int steps = 0;
        TestModel model([&](auto* u, auto& list) {
            auto* h = new TestHandler(u, L"Faulty", &log);
            h->reaction = [&steps, h, kernelError](const NS_Events::Event& e) {
                if (e.code != NS_Events::Step || ++steps != 3)
                    return;
                if (kernelError)
                    h->theUniverse()->destroyObject(NS_ObjectIndex::ObjectIndex()); // throws
                throw std::runtime_error("the drawable went away");
            };
            list.push_back(h);
        });
        const auto began = std::chrono::steady_clock::now();
        {
            NS_Universe::RunOptions options;
            options.pacing = pacing;
            std::atomic<int> ends{0};
            options.onThreadEnd = [&ends] {
                ++ends;
                throw 1; // swallowed: the thread still signals done
            };
            NS_Universe::Universe u(model, options);
            ASSERT_TRUE(u.waitUntilEnded(20000)) << "a failed simulation must end its thread";
            EXPECT_TRUE(u.simulationFailed());
            EXPECT_EQ(u.failureMessage(),
                      kernelError ? "NS_AttributeHandler::Exception" : "the drawable went away");
            EXPECT_EQ(ends.load(), 1) << "the thread's end hook runs after a failure too";
            EXPECT_EQ(u.ticksRun(), 2);
            u.createObject(); // the owner may still use the world and tear it down
        }
        EXPECT_EQ(steps, 3);
        EXPECT_EQ(log.destroyed.size(), 1u);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
    }
}

namespace {
// A value-keeping handler whose removeAttribute fails after doing its work on
// `failures` objects, or without doing it at all.
class FailingRemover : public TestHandler {
public:
    using TestHandler::TestHandler;
    void removeAttribute(const ObjectIndex& ref) override {
        ++calls;
        if (removeFirst)
            AttributeHandler::removeAttribute(ref);
        throw new NS_AttributeHandler::Exception();
    }
    bool removeFirst = false;
    int calls = 0;
};
} // namespace

// Teardown must finish when a handler fails to remove its attribute: before,
// the object stayed in the table and the table's destructor threw while the
// first error was propagating, which ended the process. Handlers die only
// after every object and removal event is handled. The handler fails
// before doing its work, after it, or while the owner's own exception is in
// flight (which must stay the one reported).
TEST(Universe, TeardownFreesHandlersLastAndCompletesWhenRemovingAnAttributeFails) {
    for (int way : {0, 1, 2}) {
        EventLog log;
        int deletions = 0;
        TestModel model([&log](auto* u, auto& list) {
            list.push_back(new FailingRemover(u, L"Failing", &log));
            list.push_back(new TestHandler(u, L"Values", &log));
            list.push_back(new TestHandler(u, L"Listener", &log, L"Values", 4));
        });
        int thrown = 0;
        bool ownCaught = false;
        try {
            NS_Universe::Universe u(model, virtualTicks(0));
            ASSERT_TRUE(u.waitUntilEnded(10000));
            handler<FailingRemover>(u, L"Failing")->removeFirst = way == 1;
            handler<TestHandler>(u, L"Listener")->reaction = [&](const NS_Events::Event&) {
                EXPECT_TRUE(log.destroyed.empty()) << "a handler died before a removal was handled";
            };
            for (int i = 0; i < 3; ++i) {
                const ObjectIndex ref = u.createObject()->self;
                handler<TestHandler>(u, L"Failing")->attachValue(ref, new CountedValue(&deletions));
                handler<TestHandler>(u, L"Values")->attachValue(ref, new CountedValue(&deletions));
            }
            u.dispatch();
            if (way == 2)
                throw std::runtime_error("the owner's own failure");
        } catch (NS_AttributeHandler::Exception* e) {
            delete e;
            ++thrown;
        } catch (const std::runtime_error&) {
            ownCaught = true;
        }
        EXPECT_EQ(thrown, way == 2 ? 0 : 1) << "the first error, once";
        EXPECT_EQ(ownCaught, way == 2);
        EXPECT_EQ(deletions, 6) << "every value freed";
        EXPECT_EQ(log.destroyed, (std::vector<std::wstring>{L"Failing", L"Listener", L"Values"}));
        // "Failing" sorts before "Values": the later handler still removed its
        // attributes and its subscriber heard of every removal.
        EXPECT_EQ(log.events.size(), 3u);
    }
}
