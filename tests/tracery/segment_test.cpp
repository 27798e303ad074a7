#include "tests/tracery/test_world.h"
#include "tracery/field_grid.h"
#include "tracery/generative_point.h"
#include "tracery/guiding_point.h"
#include "tracery/segment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using NS_ObjectIndex::ObjectIndex;

namespace {

// Guides, branch points and strokes on a dark field: end points get no
// children unless a test gives them some.
class SegmentTest : public ::testing::Test {
protected:
    TestWorld world;
    GenerativePoint* points = world.add(new GenerativePoint(&world));
    GuidingPoint* guides = world.add(new GuidingPoint(&world));
    Segment* segments = world.add(new Segment(&world));

    void SetUp() override {
        FieldGrid::shared().clear();
        world.add(new Listener(&world, {L"Segment", L"GenerativePoint"}));
        world.start();
    }

    ObjectIndex addGuide(Vector2D at, Vector2D velocity, double length, int steps,
                         int state = GuidingPoint_value::Moving,
                         ObjectIndex endPoint = ObjectIndex()) {
        const ObjectIndex ref = world.createObject()->self;
        guides->addAttribute(ref);
        GuidingPoint_value v;
        v.position = at;
        v.velocity = velocity;
        v.length = length;
        v.steps = steps;
        v.state = state;
        v.endPoint = endPoint;
        guides->setValue(ref, &v);
        return ref;
    }

    ObjectIndex addPoint(Vector2D at, int state, std::vector<ObjectIndex> children) {
        const ObjectIndex ref = world.createObject()->self;
        points->addAttribute(ref);
        GenerativePoint_value v;
        v.position = at;
        v.state = state;
        v.children = std::move(children);
        points->setValue(ref, &v);
        return ref;
    }

    // A branch point ready for its stroke; returns the stroke built from it
    // (null when none was built).
    ObjectIndex branch(Vector2D at, std::vector<ObjectIndex> children) {
        const std::size_t before = segments->members().size();
        const ObjectIndex point = addPoint(at, GenerativePoint_value::ReadyForSegment, children);
        world.dispatch();
        EXPECT_EQ(world.findObject(point), nullptr) << "the branch point is consumed";
        if (segments->members().size() == before)
            return ObjectIndex();
        return *segments->members().rbegin();
    }

    const Segment_value& stroke(const ObjectIndex& ref) { return *segments->valueOf(ref); }
};

} // namespace

TEST_F(SegmentTest, BuildsOneStrokeFromZeroToThreeChildren) {
    const Vector2D at(0.25, -0.5);
    EXPECT_EQ(branch(at, {}).index, -1);
    EXPECT_TRUE(segments->members().empty());

    const ObjectIndex a = addGuide(at, Vector2D(), 0.6, 100);
    const ObjectIndex b = addGuide(at, Vector2D(), 0.9, 100);
    const ObjectIndex c = addGuide(at, Vector2D(), 0.3, 100);

    const Segment_value& one = stroke(branch(at, {a}));
    ASSERT_EQ(one.points.size(), 2u);
    EXPECT_TRUE(one.points[0].detached);
    EXPECT_EQ(one.points[0].guide.index, -1);
    EXPECT_EQ(one.points[0].position, at);
    EXPECT_FALSE(one.points[1].detached);
    EXPECT_EQ(one.points[1].guide.uniqueId, a.uniqueId);
    EXPECT_EQ(one.points[1].position, at);
    EXPECT_TRUE(one.fresh);
    EXPECT_EQ(one.axis, Vector2D(0, 0));
    EXPECT_EQ(one.centre, at);
    EXPECT_EQ(one.thickness, 0.6);
    EXPECT_EQ(one.state, Segment_value::Created);

    const Segment_value& two = stroke(branch(at, {a, b}));
    ASSERT_EQ(two.points.size(), 3u);
    EXPECT_TRUE(two.points[0].detached);
    EXPECT_EQ(two.points[2].guide.uniqueId, b.uniqueId);
    EXPECT_TRUE(two.fresh);
    EXPECT_DOUBLE_EQ(two.thickness, 0.75);

    const Segment_value& three = stroke(branch(at, {a, b, c}));
    ASSERT_EQ(three.points.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_FALSE(three.points[i].detached);
    EXPECT_EQ(three.points[0].guide.uniqueId, a.uniqueId);
    EXPECT_EQ(three.points[2].guide.uniqueId, c.uniqueId);
    EXPECT_FALSE(three.fresh);
    EXPECT_EQ(three.axis, Vector2D(1, 0));
    EXPECT_DOUBLE_EQ(three.thickness, 0.6);

    // A child that no longer exists adds nothing but still counts.
    world.destroyObject(b);
    world.dispatch();
    EXPECT_DOUBLE_EQ(stroke(branch(at, {a, b})).thickness, 0.3);
}

TEST_F(SegmentTest, IgnoresBranchPointsThatAreGoneOrNotReady) {
    const ObjectIndex child = addGuide(Vector2D(), Vector2D(), 0.6, 100);
    addPoint(Vector2D(), GenerativePoint_value::FreshRoot, {child});
    addPoint(Vector2D(), GenerativePoint_value::GuideEnd, {child});
    const ObjectIndex gone = addPoint(Vector2D(), GenerativePoint_value::ReadyForSegment, {child});
    world.destroyObject(gone);
    world.dispatch();
    EXPECT_TRUE(segments->members().empty());
}

TEST_F(SegmentTest, FreshStrokesFollowTheirGuidesWithCentreAndSwappedAxis) {
    const ObjectIndex moving = addGuide(Vector2D(0, 0), Vector2D(0.001, 0.002), 0.6, 50);
    const ObjectIndex still = addGuide(Vector2D(0, 0), Vector2D(0, 0), 0.6, 50);
    const ObjectIndex s1 = branch(Vector2D(0, 0), {moving});
    const ObjectIndex coincident = branch(Vector2D(0, 0), {still});
    const ObjectIndex s2 = branch(Vector2D(0, 0), {moving, still});
    const ObjectIndex s3 = branch(Vector2D(0, 0), {still, moving, still});

    world.tick();
    world.tick();
    const Vector2D p(0.002, 0.004);
    EXPECT_NEAR(guides->valueOf(moving)->position.x, p.x, 1e-15);

    const Segment_value& one = stroke(s1);
    EXPECT_EQ(one.state, Segment_value::Growing);
    EXPECT_EQ(one.points[1].position, guides->valueOf(moving)->position);
    EXPECT_NEAR(one.centre.x, 0.001, 1e-15);
    EXPECT_NEAR(one.centre.y, 0.002, 1e-15);
    // d = p0 - p1 normalised is (-1, -2)/sqrt(5); the axis swaps its components.
    EXPECT_NEAR(one.axis.x, -2 / std::sqrt(5.0), 1e-12);
    EXPECT_NEAR(one.axis.y, -1 / std::sqrt(5.0), 1e-12);

    EXPECT_EQ(stroke(coincident).axis, Vector2D(0, 0));
    EXPECT_FALSE(std::isnan(stroke(coincident).centre.x));

    const Segment_value& two = stroke(s2);
    EXPECT_EQ(two.axis, Vector2D(0, 0));
    EXPECT_NEAR(two.centre.x, 0.3333 * 0.002, 1e-15);
    EXPECT_NEAR(two.centre.y, 0.3333 * 0.004, 1e-15);

    const Segment_value& three = stroke(s3);
    EXPECT_EQ(three.centre, Vector2D(0, 0));
    EXPECT_EQ(three.axis, Vector2D(1, 0));
    EXPECT_EQ(three.points[1].position, guides->valueOf(moving)->position);
}

TEST_F(SegmentTest, HandOverTakesTheLastTwoChildrenOnceAndMarksTheEndPoint) {
    const Vector2D end(0.1, 0.1);
    const ObjectIndex a = addGuide(end, Vector2D(), 0.6, 100);
    const ObjectIndex b = addGuide(end, Vector2D(0.001, 0), 0.6, 100);
    const ObjectIndex c = addGuide(end, Vector2D(0, 0.001), 0.6, 100);
    const ObjectIndex e = addPoint(end, GenerativePoint_value::GuideEnd, {a, b, c});
    const ObjectIndex finished = addGuide(end, Vector2D(), 0.6, 0, GuidingPoint_value::Finished, e);
    world.dispatch();

    Segment_value v;
    v.points.push_back(SegmentPoint{Vector2D(0, 0), ObjectIndex(), true});
    v.points.push_back(SegmentPoint{end, finished, false});
    v.centre = Vector2D(0.05, 0.05);
    v.state = Segment_value::Growing;
    segments->grow(v);

    EXPECT_FALSE(v.fresh);
    ASSERT_EQ(v.points.size(), 3u);
    EXPECT_EQ(v.points[1].guide.uniqueId, c.uniqueId);
    EXPECT_EQ(v.points[2].guide.uniqueId, b.uniqueId);
    EXPECT_FALSE(v.points[2].detached);
    EXPECT_EQ(v.points[2].position, end) << "the appended point follows its guide at once";
    EXPECT_EQ(v.centre, Vector2D(0.05, 0.05)) << "centre frozen at the hand-over";
    EXPECT_EQ(v.state, Segment_value::Growing);
    const GenerativePoint_value* ev = points->valueOf(e);
    EXPECT_EQ(ev->state, GenerativePoint_value::ReadyForSegment);
    ASSERT_EQ(ev->children.size(), 1u);
    EXPECT_EQ(ev->children[0].uniqueId, a.uniqueId);

    // The remaining child becomes a stroke of its own and the end point goes.
    const std::size_t before = segments->members().size();
    world.dispatch();
    EXPECT_EQ(world.findObject(e), nullptr);
    ASSERT_EQ(segments->members().size(), before + 1);
    const Segment_value& rest = stroke(*segments->members().rbegin());
    ASSERT_EQ(rest.points.size(), 2u);
    EXPECT_EQ(rest.points[1].guide.uniqueId, a.uniqueId);
}

TEST_F(SegmentTest, OnlyTheFirstFinishedGuideHandsOverAndAppendedPointsWaitATick) {
    const Vector2D at(0, 0);
    // Two finished guides in one stroke, each with its own end point.
    const ObjectIndex x1 = addGuide(at, Vector2D(), 0.6, 100);
    const ObjectIndex x2 = addGuide(at, Vector2D(), 0.6, 100);
    const ObjectIndex e1 = addPoint(at, GenerativePoint_value::GuideEnd, {x1});
    // The hand-over child is itself finished: visiting it would mark e3.
    const ObjectIndex e3 = addPoint(at, GenerativePoint_value::GuideEnd, {});
    const ObjectIndex y = addGuide(at, Vector2D(), 0.6, 0, GuidingPoint_value::Finished, e3);
    const ObjectIndex e2 = addPoint(at, GenerativePoint_value::GuideEnd, {x2, y});
    const ObjectIndex g1 = addGuide(at, Vector2D(), 0.6, 0, GuidingPoint_value::Finished, e1);
    const ObjectIndex g2 = addGuide(at, Vector2D(), 0.6, 0, GuidingPoint_value::Finished, e2);
    world.dispatch();

    Segment_value v;
    v.points.push_back(SegmentPoint{at, ObjectIndex(), true});
    v.points.push_back(SegmentPoint{at, g1, false});
    v.points.push_back(SegmentPoint{at, g2, false});
    segments->grow(v);

    EXPECT_FALSE(v.fresh);
    ASSERT_EQ(v.points.size(), 3u) << "three points never get a fourth";
    EXPECT_EQ(v.points[1].guide.uniqueId, x1.uniqueId);
    EXPECT_EQ(v.points[2].guide.uniqueId, g2.uniqueId) << "no second hand-over";
    EXPECT_EQ(points->valueOf(e1)->state, GenerativePoint_value::ReadyForSegment);
    EXPECT_EQ(points->valueOf(e2)->state, GenerativePoint_value::ReadyForSegment);
    EXPECT_EQ(points->valueOf(e2)->children.size(), 2u);
    EXPECT_EQ(points->valueOf(e3)->state, GenerativePoint_value::GuideEnd);

    // A fresh two-point stroke whose new guide was appended: not visited either.
    const ObjectIndex e4 = addPoint(at, GenerativePoint_value::GuideEnd, {x1, y});
    const ObjectIndex g4 = addGuide(at, Vector2D(), 0.6, 0, GuidingPoint_value::Finished, e4);
    world.dispatch();
    Segment_value w;
    w.points.push_back(SegmentPoint{at, ObjectIndex(), true});
    w.points.push_back(SegmentPoint{at, g4, false});
    segments->grow(w);
    ASSERT_EQ(w.points.size(), 3u);
    EXPECT_EQ(w.points[1].guide.uniqueId, y.uniqueId);
    EXPECT_EQ(w.points[2].guide.uniqueId, x1.uniqueId);
    EXPECT_EQ(points->valueOf(e3)->state, GenerativePoint_value::GuideEnd);
}

TEST_F(SegmentTest, ChildlessEndPointOnlyClearsFreshness) {
    const Vector2D at(0, 0);
    const ObjectIndex e = addPoint(at, GenerativePoint_value::GuideEnd, {});
    const ObjectIndex g = addGuide(at, Vector2D(), 0.6, 0, GuidingPoint_value::Finished, e);
    world.dispatch();
    Segment_value v;
    v.points.push_back(SegmentPoint{at, ObjectIndex(), true});
    v.points.push_back(SegmentPoint{at, g, false});
    const std::size_t before = segments->members().size();
    segments->grow(v);
    EXPECT_FALSE(v.fresh);
    EXPECT_EQ(v.points.size(), 2u);
    EXPECT_EQ(v.points[1].guide.uniqueId, g.uniqueId);
    world.dispatch();
    EXPECT_EQ(world.findObject(e), nullptr);
    EXPECT_EQ(segments->members().size(), before);
}

TEST_F(SegmentTest, WithersToWithinTheStepOfItsCentreThenIsDestroyed) {
    Segment_value v;
    v.centre = Vector2D(0.5, 0.5);
    v.points.push_back(SegmentPoint{Vector2D(0.5, 0.501), ObjectIndex(), true});
    v.points.push_back(SegmentPoint{Vector2D(0.5, 0.5), ObjectIndex(), true});
    EXPECT_FALSE(Segment::wither(v));
    EXPECT_NEAR(v.points[0].position.y, 0.5007, 1e-12);
    EXPECT_EQ(v.points[1].position, Vector2D(0.5, 0.5)) << "a point on the centre stays";
    EXPECT_FALSE(Segment::wither(v));
    EXPECT_FALSE(Segment::wither(v));
    EXPECT_NEAR(v.points[0].position.y, 0.5001, 1e-12);
    EXPECT_TRUE(Segment::wither(v));
    EXPECT_NEAR(v.points[0].position.y, 0.5001, 1e-12) << "stops short of the centre";

    // In the world: a one-child stroke whose short guide runs two steps.
    const ObjectIndex guide = addGuide(Vector2D(0, 0), Vector2D(0.001, 0), 0.4, 2);
    const ObjectIndex s = branch(Vector2D(0, 0), {guide});
    world.clearEvents();
    // Ticks 1-2 move the guide; 3 lays its (childless) end point and hands over;
    // 4 destroys the guide, so the stroke starts withering; 5-7 move both
    // points 0.0003 toward the centre; nothing moves in tick 8.
    for (int t = 1; t <= 7; ++t) {
        world.tick();
        ASSERT_NE(world.findObject(s), nullptr) << "tick " << t;
        EXPECT_EQ(stroke(s).state, t < 4 ? Segment_value::Growing : Segment_value::Withering);
    }
    EXPECT_FALSE(stroke(s).fresh);
    EXPECT_NEAR(stroke(s).centre.x, 0.001, 1e-15);
    EXPECT_NEAR(stroke(s).points[0].position.x, 0.0009, 1e-12);
    EXPECT_NEAR(stroke(s).points[1].position.x, 0.0011, 1e-12);
    world.tick();
    EXPECT_EQ(world.findObject(s), nullptr);
    EXPECT_EQ(world.countEvents(L"Segment", NS_Events::ValueChanged, &s), 8)
        << "one report per Step, the last one included";
    EXPECT_EQ(world.countEvents(L"Segment", NS_Events::AttributeRemoved, &s), 1);
    const std::vector<NS_Events::Event>& events = world.events();
    int lastChange = -1;
    int removal = -1;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].object.uniqueId != s.uniqueId || events[i].sender != L"Segment")
            continue;
        if (events[i].code == NS_Events::ValueChanged)
            lastChange = static_cast<int>(i);
        if (events[i].code == NS_Events::AttributeRemoved)
            removal = static_cast<int>(i);
    }
    EXPECT_LT(lastChange, removal);
}
