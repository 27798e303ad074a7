#include "tests/kernel/kernel_test_support.h"
#include "tests/tracery/test_world.h"
#include "tracery/field_grid.h"
#include "tracery/segment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using NS_ObjectIndex::ObjectIndex;

namespace {

// Guides, branch points and strokes on a dark plane: end points get no
// children unless a test gives them some.
class SegmentTest : public ::testing::Test {
protected:
    TestWorld world;
    GenerativePoint* points = world.add(new GenerativePoint(&world));
    GuidingPoint* guides = world.add(new GuidingPoint(&world));
    Segment* segments = world.add(new Segment(&world));
    const Vector2D at{0.25, -0.5};

    void SetUp() override {
        FieldGrid::shared().clear();
        world.start();
        world.listen({L"Segment"});
    }

    // A guide at `at`; finished with its end point when one is given.
    ObjectIndex guide(double length, Vector2D velocity = {}, int steps = 100,
                      ObjectIndex endPoint = ObjectIndex()) {
        GuidingPoint_value v;
        v.position = at;
        v.velocity = velocity;
        v.length = length;
        v.steps = steps;
        v.endPoint = endPoint;
        v.state = endPoint.index >= 0 ? GuidingPoint_value::Finished : GuidingPoint_value::Moving;
        return world.put(guides, v);
    }
    ObjectIndex point(int state, std::vector<ObjectIndex> children) {
        GenerativePoint_value v;
        v.position = at;
        v.state = state;
        v.children = std::move(children);
        return world.put(points, v);
    }
    // The stroke built from a ready branch point (null when none).
    ObjectIndex branch(std::vector<ObjectIndex> children) {
        const std::size_t before = segments->members().size();
        const ObjectIndex p = point(GenerativePoint_value::ReadyForSegment, std::move(children));
        world.dispatch();
        EXPECT_EQ(world.findObject(p), nullptr) << "the branch point is always consumed";
        return segments->members().size() == before ? ObjectIndex() : *segments->members().rbegin();
    }
    const Segment_value& stroke(const ObjectIndex& ref) { return *segments->valueOf(ref); }
    static std::int64_t guideOf(const Segment_value& v, std::size_t i) {
        return v.points[i].guide.uniqueId;
    }
};

} // namespace

TEST_F(SegmentTest, BuildsOneStrokeFromZeroToThreeChildren) {
    EXPECT_EQ(branch({}).index, -1);
    const ObjectIndex a = guide(0.6);
    const ObjectIndex b = guide(0.9);
    const ObjectIndex c = guide(0.3);

    // One or two children: a fixed first point, then one point per child.
    const Segment_value& one = stroke(branch({a}));
    ASSERT_EQ(one.points.size(), 2u);
    EXPECT_TRUE(one.points[0].detached && !one.points[1].detached && one.fresh);
    EXPECT_EQ(guideOf(one, 1), a.uniqueId);
    EXPECT_EQ(one.thickness, 0.6);
    const Segment_value& two = stroke(branch({a, b}));
    ASSERT_EQ(two.points.size(), 3u);
    EXPECT_TRUE(two.points[0].detached && two.fresh && guideOf(two, 2) == b.uniqueId);
    EXPECT_DOUBLE_EQ(two.thickness, 0.75);

    // Three: every point follows a child, and there is nothing to hand over.
    const Segment_value& three = stroke(branch({a, b, c}));
    ASSERT_EQ(three.points.size(), 3u);
    EXPECT_FALSE(three.points[0].detached || three.fresh);
    EXPECT_EQ(guideOf(three, 0), a.uniqueId);
    EXPECT_EQ(three.axis, Vector2D(1, 0));
    EXPECT_DOUBLE_EQ(three.thickness, 0.6);

    world.destroyObject(b); // a vanished child adds nothing but still counts
    EXPECT_DOUBLE_EQ(stroke(branch({a, b})).thickness, 0.3);

    // Branch points that are not ready, or gone, build nothing.
    const std::size_t strokes = segments->members().size();
    point(GenerativePoint_value::FreshRoot, {a});
    point(GenerativePoint_value::GuideEnd, {a});
    world.destroyObject(point(GenerativePoint_value::ReadyForSegment, {a}));
    world.dispatch();
    EXPECT_EQ(segments->members().size(), strokes);
}

TEST_F(SegmentTest, FreshStrokesFollowTheirGuides) {
    const ObjectIndex moving = guide(0.6, Vector2D(0.001, 0.002));
    const ObjectIndex still = guide(0.6);
    const ObjectIndex s1 = branch({moving});
    const ObjectIndex coincident = branch({still});
    const ObjectIndex s2 = branch({moving, still});
    world.tick();
    world.tick();
    const Vector2D p = guides->valueOf(moving)->position;
    ASSERT_NEAR((p - at).length(), std::sqrt(0.00002), 1e-15);

    const Segment_value& one = stroke(s1);
    EXPECT_EQ(one.points[1].position, p);
    EXPECT_EQ(one.centre, (at + p) * 0.5);
    // d = p0 - p1 = (-1, -2)/sqrt(5) after scaling; the axis swaps its
    // components, it is not the perpendicular.
    EXPECT_NEAR(one.axis.x, -2 / std::sqrt(5.0), 1e-9);
    EXPECT_NEAR(one.axis.y, -1 / std::sqrt(5.0), 1e-9);
    EXPECT_EQ(stroke(coincident).axis, Vector2D(0, 0));
    EXPECT_EQ(stroke(s2).axis, Vector2D(0, 0));
    EXPECT_EQ(stroke(s2).centre, (at + p + at) * 0.3333);
}

TEST_F(SegmentTest, HandsOverOnceTakingTheLastChildrenAndMarkingEndPoints) {
    const ObjectIndex a = guide(0.6);
    const ObjectIndex b = guide(0.6, Vector2D(0.001, 0));
    const ObjectIndex c = guide(0.6);
    const ObjectIndex e1 = point(GenerativePoint_value::GuideEnd, {a, b, c});
    const ObjectIndex e2 = point(GenerativePoint_value::GuideEnd, {c, a});
    const ObjectIndex e3 = point(GenerativePoint_value::GuideEnd, {a, c});
    const ObjectIndex g1 = guide(0.6, {}, 0, e1);
    const ObjectIndex g2 = guide(0.6, {}, 0, e2);
    const ObjectIndex g3 = guide(0.6, {}, 0, e3);
    world.dispatch();

    // A fresh two-point stroke takes the last two children, a third point
    // included; its centre stays where it was.
    Segment_value v;
    v.points = {SegmentPoint{at, ObjectIndex(), true}, SegmentPoint{at, g1, false}};
    v.centre = Vector2D(0.1, 0.1);
    segments->grow(v);
    EXPECT_FALSE(v.fresh);
    ASSERT_EQ(v.points.size(), 3u);
    EXPECT_EQ(guideOf(v, 1), c.uniqueId);
    EXPECT_EQ(guideOf(v, 2), b.uniqueId);
    EXPECT_EQ(v.centre, Vector2D(0.1, 0.1));
    // The rest of e1 becomes a stroke of its own, and e1 goes.
    world.dispatch();
    EXPECT_EQ(world.findObject(e1), nullptr);
    EXPECT_EQ(guideOf(stroke(*segments->members().rbegin()), 1), a.uniqueId);

    // No longer fresh: a second finished guide only marks its end point.
    v.points[2].guide = g2;
    segments->grow(v);
    EXPECT_EQ(guideOf(v, 2), g2.uniqueId);
    EXPECT_EQ(points->valueOf(e2)->state, GenerativePoint_value::ReadyForSegment);

    // A fresh three-point stroke swaps one guide and never gets a fourth point.
    Segment_value three;
    three.points = {SegmentPoint{at, ObjectIndex(), true}, SegmentPoint{at, g3, false},
                    SegmentPoint{at, b, false}};
    segments->grow(three);
    ASSERT_EQ(three.points.size(), 3u);
    EXPECT_EQ(guideOf(three, 1), c.uniqueId);
    EXPECT_EQ(points->valueOf(e3)->children.size(), 1u);
}

// A finished guide whose end point is gone is a broken model: the handler's
// lookup of the end point's value throws instead of the stroke silently
// keeping a finished guide.
TEST_F(SegmentTest, AFinishedGuideWithoutItsEndPointThrows) {
    const ObjectIndex e = point(GenerativePoint_value::GuideEnd, {});
    const ObjectIndex g = guide(0.6, {}, 0, e);
    world.destroyObject(e);
    world.dispatch();
    Segment_value v;
    v.points = {SegmentPoint{at, ObjectIndex(), true}, SegmentPoint{at, g, false}};
    kernel_test::expectThrows<NS_AttributeHandler::Exception>([&] { segments->grow(v); });
}

TEST_F(SegmentTest, WithersToWithinOneStepOfItsCentreThenIsDestroyed) {
    // A one-child stroke whose short guide moves twice. Tick 3
    // lays the guide's childless end point (the hand-over only clears fresh),
    // tick 4 destroys the guide so the stroke withers, ticks 5-7 move both
    // points 0.0003 toward the centre, tick 8 moves nothing and ends it.
    const ObjectIndex s = branch({guide(0.4, Vector2D(0.001, 0), 2)});
    world.clearEvents();
    for (int t = 1; t <= 7; ++t) {
        world.tick();
        ASSERT_EQ(stroke(s).state, t < 4 ? Segment_value::Growing : Segment_value::Withering)
            << "tick " << t;
    }
    EXPECT_FALSE(stroke(s).fresh);
    EXPECT_NEAR(stroke(s).points[1].position.x - stroke(s).centre.x, 0.0001, 1e-12)
        << "stops short of the centre";
    world.tick();
    EXPECT_EQ(world.findObject(s), nullptr);
    EXPECT_EQ(world.count(L"Segment", NS_Events::ValueChanged, &s), 8)
        << "one report per Step, the last one included";
    EXPECT_EQ(world.count(L"Segment", NS_Events::AttributeRemoved, &s), 1);
}
