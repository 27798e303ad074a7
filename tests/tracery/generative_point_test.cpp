#include "tests/tracery/test_world.h"
#include "tracery/generative_point.h"

#include <gtest/gtest.h>

using NS_ObjectIndex::ObjectIndex;

namespace {
class GenerativePointTest : public ::testing::Test {
protected:
    TestWorld world;
    GenerativePoint* points = world.add(new GenerativePoint(&world));

    void SetUp() override {
        world.add(new Listener(&world, {L"GenerativePoint"}));
        world.start();
    }

    ObjectIndex addPoint() {
        const ObjectIndex ref = world.createObject()->self;
        points->addAttribute(ref);
        world.dispatch();
        return ref;
    }
};
} // namespace

TEST_F(GenerativePointTest, UnconsumedPointReportsFiveTimesAndDiesOnTheSixthStep) {
    const ObjectIndex ref = addPoint();
    const GenerativePoint_value* v = points->valueOf(ref);
    EXPECT_EQ(v->countdown, 5);
    EXPECT_EQ(v->state, GenerativePoint_value::FreshRoot);
    world.clearEvents();
    for (int i = 1; i <= 5; ++i) {
        world.tick();
        ASSERT_NE(world.findObject(ref), nullptr) << "step " << i;
        EXPECT_EQ(points->valueOf(ref)->countdown, 5 - i);
    }
    EXPECT_EQ(world.countEvents(L"GenerativePoint", NS_Events::ValueChanged, &ref), 5);
    world.tick();
    EXPECT_EQ(world.findObject(ref), nullptr);
    EXPECT_EQ(world.countEvents(L"GenerativePoint", NS_Events::ValueChanged, &ref), 5);
    EXPECT_EQ(world.countEvents(L"GenerativePoint", NS_Events::AttributeRemoved, &ref), 1);
    EXPECT_TRUE(points->members().empty());
}

TEST_F(GenerativePointTest, SkipsPointsDestroyedByOthersAndIgnoresOtherCodes) {
    const ObjectIndex a = addPoint();
    const ObjectIndex b = addPoint();
    world.destroyObject(a);
    world.dispatch();
    EXPECT_EQ(points->members().size(), 1u);
    world.clearEvents();
    for (std::uint32_t code : {NS_Events::Render, NS_Events::ValueChanged,
                               NS_Events::AttributeAdded, NS_Events::AttributeRemoved})
        points->handleEvent(NS_Events::Event(b, L"GenerativePoint", code));
    world.dispatch();
    EXPECT_EQ(points->valueOf(b)->countdown, 5);
    world.tick();
    EXPECT_EQ(points->valueOf(b)->countdown, 4);
}

TEST_F(GenerativePointTest, SetValueCopiesEverythingAndAlwaysReports) {
    const ObjectIndex ref = addPoint();
    GenerativePoint_value v;
    v.position = Vector2D(0.5, -0.25);
    v.state = GenerativePoint_value::GuideEnd;
    v.countdown = 2;
    v.children.push_back(ref);
    v.children.push_back(ref);
    points->setValue(ref, &v);
    GenerativePoint_value* stored = points->valueOf(ref);
    EXPECT_EQ(stored->position, v.position);
    EXPECT_EQ(stored->state, GenerativePoint_value::GuideEnd);
    EXPECT_EQ(stored->countdown, 2);
    EXPECT_EQ(stored->children.size(), 2u);

    world.dispatch();
    world.clearEvents();
    points->setValue(ref, stored); // the stored value itself: no change, still an event
    world.dispatch();
    EXPECT_EQ(stored->children.size(), 2u);
    EXPECT_EQ(world.countEvents(L"GenerativePoint", NS_Events::ValueChanged, &ref), 1);

    GenerativePoint_value empty;
    points->setValue(ref, &empty);
    EXPECT_TRUE(points->valueOf(ref)->children.empty());

    // Wrong value type or missing object: the kernel's handler exception.
    NS_Attribute::AttributeValue other;
    EXPECT_TRUE(throwsHandlerException([&] { points->setValue(ref, &other); }));
    world.destroyObject(ref);
    world.dispatch();
    EXPECT_TRUE(throwsHandlerException([&] { points->setValue(ref, &empty); }));
    EXPECT_TRUE(throwsHandlerException([&] { points->valueOf(ref); }));
}
